// The maker's page in Debian's headless Chromium: a generated JPEG gives a
// preview, the Windows saver passes voq-make inspect, the Linux saver runs
// headless and shows the picture's colours, and a text file named photo.jpg
// shows the tool's error on the page.
import { chromium } from "playwright-core";
import { spawn, execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, readdirSync, writeFileSync, chmodSync, copyFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import assert from "node:assert/strict";
import { createInterface } from "node:readline";

const voqMake = process.env.VOQ_MAKE;
const work = mkdtempSync(join(tmpdir(), "voq-page-test-"));
const serviceTmp = mkdtempSync(join(tmpdir(), "voq-page-service-"));
const runtimes = ["linux", "windows32", "windows64"].flatMap((t) => {
  const path = process.env["VOQ_RUNTIME_" + t.toUpperCase()];
  return path ? ["--" + t, path] : [];
});

function startService() {
  const service = spawn(voqMake, ["serve", "--listen", "127.0.0.1:0", ...runtimes],
                        { env: { ...process.env, TMPDIR: serviceTmp }, stdio: ["ignore", "pipe", "inherit"] });
  return new Promise((resolve, reject) => {
    const lines = createInterface({ input: service.stdout });
    lines.once("line", (line) => {
      const match = /http:\/\/127\.0\.0\.1:(\d+)\//.exec(line);
      if (match) resolve({ service, url: match[0] });
      else reject(new Error("voq-make serve said: " + line));
    });
    service.once("exit", (code) => reject(new Error("voq-make serve exited with " + code)));
  });
}

// Palette colours of an 8-bit BMP's pixels, counted.
function bmpColours(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const pixels = view.getUint32(10, true), width = view.getInt32(18, true), height = Math.abs(view.getInt32(22, true));
  const stride = (width + 3) & ~3;
  const counts = new Map();
  for (let y = 0; y < height; y++)
    for (let x = 0; x < width; x++) {
      const index = bytes[pixels + y * stride + x];
      const at = 54 + index * 4;
      const colour = [bytes[at + 2], bytes[at + 1], bytes[at]];
      const name = colour.join(",");
      counts.set(name, (counts.get(name) || 0) + 1);
    }
  return counts;
}

function countNear(counts, test) {
  let n = 0;
  for (const [name, count] of counts) if (test(name.split(",").map(Number))) n += count;
  return n;
}

// page.waitForFunction compiles its predicate in the page, which the page's
// Content-Security-Policy forbids; evaluate() is not subject to it.
async function waitFor(page, predicate, arg, timeout) {
  const deadline = Date.now() + timeout;
  while (!(await page.evaluate(predicate, arg))) {
    if (Date.now() > deadline) throw new Error("timed out waiting for " + predicate);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

const { service, url } = await startService();
const context = await chromium.launchPersistentContext(mkdtempSync(join(work, "profile-")), {
  executablePath: "/usr/bin/chromium",
  headless: true,
  acceptDownloads: true,
  viewport: { width: 1000, height: 1400 },
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
let failed = false;
try {
  const page = context.pages()[0] || await context.newPage();
  const refused = [];
  page.on("console", (message) => { if (/Content Security Policy/.test(message.text())) refused.push(message.text()); });
  await page.goto(url);

  // Every control has a label a screen reader reads, and every image a text.
  const unlabelled = await page.evaluate(() =>
    [...document.querySelectorAll("input, select, button")]
      .filter((c) => c.type !== "hidden" && !c.labels?.length && !c.getAttribute("aria-label") && !c.textContent.trim())
      .map((c) => c.id || c.name));
  assert.deepEqual(unlabelled, []);
  assert.equal(await page.locator("img:not([alt])").count(), 0);

  const photo = join(work, "photo.jpg");
  execFileSync("convert", ["-size", "160x120", "xc:#d02020", "-fill", "#2040e0", "-draw", "rectangle 80,0 159,119",
                           "-quality", "95", photo]);
  await page.locator("#picture").setInputFiles(photo);
  await waitFor(page, () => {
    const img = document.getElementById("preview");
    return !img.hidden && img.complete && img.naturalWidth === 640;
  }, null, 30000);
  assert.equal(await page.locator("#error").isHidden(), true);
  await page.screenshot({ path: join(process.env.VOQ_SCREENSHOT_DIR || work, "maker.png"), fullPage: true });

  // A changed setting brings a new preview.
  const first = await page.locator("#preview").getAttribute("src");
  await page.locator("#objects").fill("25");
  await waitFor(page, (before) => {
    const img = document.getElementById("preview");
    return img.src !== before && img.complete && img.naturalWidth === 640 && /25 copies/.test(img.alt);
  }, first, 30000);

  // Windows, the default, by keyboard: focus the button and press Enter.
  const windows = page.waitForEvent("download");
  await page.locator("#download").focus();
  await page.keyboard.press("Enter");
  const windowsSaver = join(work, (await windows).suggestedFilename());
  await (await windows).saveAs(windowsSaver);
  assert.match(windowsSaver, /photo\.scr$/);
  const report = JSON.parse(execFileSync(voqMake, ["inspect", "--json", windowsSaver], { encoding: "utf8" }));
  assert.equal(report.accepted, true);
  assert.match(report.runtime, /^PE/);

  await page.locator("#target").selectOption("linux");
  assert.equal(await page.locator('.install[data-target="linux"]').isVisible(), true);
  const linux = page.waitForEvent("download");
  await page.locator("#download").click();
  const linuxSaver = join(work, (await linux).suggestedFilename());
  await (await linux).saveAs(linuxSaver);
  chmodSync(linuxSaver, 0o755);
  const frames = mkdtempSync(join(work, "frames-"));
  execFileSync(linuxSaver, ["/s"], { env: { ...process.env, SDL_VIDEODRIVER: "dummy", SDL_AUDIODRIVER: "dummy",
                                            VOQ_FRAMES: "120", VOQ_CAPTURE_DIR: frames }, timeout: 60000 });
  const last = readdirSync(frames).sort().pop();
  const colours = bmpColours(readFileSync(join(frames, last)));
  const reds = countNear(colours, ([r, g, b]) => r > 160 && g < 90 && b < 90);
  const blues = countNear(colours, ([r, g, b]) => b > 170 && r < 90 && g < 120);
  assert.ok(reds > 100 && blues > 100, `the show has ${reds} red and ${blues} blue pixels`);

  const text = join(work, "text", "photo.jpg");
  execFileSync("mkdir", ["-p", join(work, "text")]);
  writeFileSync(text, "These are words, not a photo.\n");
  await page.locator("#picture").setInputFiles(text);
  await page.locator("#error").waitFor({ state: "visible", timeout: 30000 });
  assert.match(await page.locator("#error").textContent(), /cannot read picture photo\.jpg/);
  assert.equal(await page.locator("#preview").isHidden(), true);
  assert.deepEqual(refused, [], "the page broke its own Content-Security-Policy");
  console.log("page test: preview, Windows and Linux downloads and the error shown");
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  await context.close();
  service.kill("SIGTERM");
  const code = await new Promise((resolve) => service.once("exit", (c) => resolve(c)));
  if (code !== 0) { failed = true; console.error("voq-make serve exited with " + code); }
  const left = readdirSync(serviceTmp);
  if (left.length) { failed = true; console.error("left in the service's TMPDIR: " + left.join(", ")); }
}
process.exit(failed ? 1 : 0);
