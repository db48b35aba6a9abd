// The maker's page: every change of a setting asks the server for a new
// preview; the button asks for the saver. The server does all the making.
"use strict";

const $ = (id) => document.getElementById(id);
const form = $("maker");
let picture = null;     // the chosen File
let previewAbort = null;
let previewTimer = 0;
let previewUrl = "";

function settings(withTarget) {
  const data = new FormData();
  data.append("picture", picture, picture.name);
  data.append("objects", $("objects").value);
  const key = form.elements.key.value;
  data.append("key", key === "pick" ? $("key-colour").value : key);
  const background = form.elements.background.value;
  data.append("background", background === "colour" ? $("background-colour").value : "darkest");
  if (withTarget) data.append("target", $("target").value);
  return data;
}

function showError(message) {
  $("error").textContent = message;
  $("error").hidden = !message;
}

function working(text) {
  $("progress").hidden = !text;
  if (text) $("status").textContent = text;
}

// The server's own words for a refusal, or the network's.
async function failure(response) {
  try {
    const body = await response.json();
    if (body && body.error) return body.error;
  } catch (e) { /* not JSON */ }
  return "the maker answered " + response.status + " " + response.statusText;
}

async function refreshPreview() {
  if (!picture) return;
  if (previewAbort) previewAbort.abort();
  const abort = new AbortController();
  previewAbort = abort;
  showError("");
  working("Making the preview…");
  try {
    const response = await fetch("/api/preview", { method: "POST", body: settings(false), signal: abort.signal });
    if (!response.ok) throw new Error(await failure(response));
    const blob = await response.blob();
    if (previewUrl) URL.revokeObjectURL(previewUrl);
    previewUrl = URL.createObjectURL(blob);
    $("preview").src = previewUrl;
    $("preview").alt = "The show of " + picture.name + ": " + $("objects").value +
        " copies flying out of the centre, as the saver will play it";
    $("preview").hidden = false;
    working("");
    $("status").textContent = "The preview is ready.";
    $("download").disabled = false;
  } catch (error) {
    if (abort.signal.aborted) return;
    working("");
    $("status").textContent = "No preview.";
    $("preview").hidden = true;
    $("download").disabled = true;
    showError("Cannot make a saver from " + picture.name + ": " + error.message);
  } finally {
    if (previewAbort === abort) previewAbort = null;
  }
}

function schedulePreview() {
  clearTimeout(previewTimer);
  previewTimer = setTimeout(refreshPreview, 250);
}

function downloadName(response) {
  const match = /filename="([^"]+)"/.exec(response.headers.get("Content-Disposition") || "");
  return match ? match[1] : "saver.scr";
}

async function download(event) {
  event.preventDefault();
  if (!picture) return;
  showError("");
  $("download").disabled = true;
  working("Making the saver…");
  try {
    const response = await fetch("/api/saver", { method: "POST", body: settings(true) });
    if (!response.ok) throw new Error(await failure(response));
    const link = document.createElement("a");
    link.href = URL.createObjectURL(await response.blob());
    link.download = downloadName(response);
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    working("");
    $("status").textContent = "Downloaded " + link.download + ".";
  } catch (error) {
    working("");
    showError("Cannot make the saver: " + error.message);
  } finally {
    $("download").disabled = false;
  }
}

// The picture as the browser shows it, to pick the transparent colour on.
async function showOriginal(file) {
  const canvas = $("original");
  try {
    const bitmap = await createImageBitmap(file);
    const scale = Math.min(1, 320 / bitmap.width, 240 / bitmap.height);
    canvas.width = Math.max(1, Math.round(bitmap.width * scale));
    canvas.height = Math.max(1, Math.round(bitmap.height * scale));
    canvas.getContext("2d").drawImage(bitmap, 0, 0, canvas.width, canvas.height);
    canvas.setAttribute("aria-label", file.name + "; click on it to pick the transparent colour");
    canvas.hidden = false;
  } catch (e) {
    canvas.hidden = true;  // the server may still read it (TGA, for one)
  }
}

function pickColour(event) {
  const canvas = $("original");
  const box = canvas.getBoundingClientRect();
  const x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
  const y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
  const [r, g, b] = canvas.getContext("2d").getImageData(x, y, 1, 1).data;
  $("key-colour").value = "#" + [r, g, b].map((v) => v.toString(16).padStart(2, "0")).join("");
  form.elements.key.value = "pick";
  schedulePreview();
}

function choose(file) {
  if (!file) return;
  picture = file;
  showOriginal(file);
  refreshPreview();
}

function showInstall() {
  for (const notes of document.querySelectorAll(".install"))
    notes.hidden = notes.dataset.target !== $("target").value;
}

$("picture").addEventListener("change", () => choose($("picture").files[0]));
$("original").addEventListener("click", pickColour);
for (const id of ["objects"]) $(id).addEventListener("input", schedulePreview);
for (const input of form.querySelectorAll("input[type=radio]")) input.addEventListener("change", schedulePreview);
$("key-colour").addEventListener("input", () => { form.elements.key.value = "pick"; schedulePreview(); });
$("background-colour").addEventListener("input", () => { form.elements.background.value = "colour"; schedulePreview(); });
$("target").addEventListener("change", showInstall);
form.addEventListener("submit", download);

const drop = $("drop");
drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("dragging"); });
drop.addEventListener("dragleave", () => drop.classList.remove("dragging"));
drop.addEventListener("drop", (event) => {
  event.preventDefault();
  drop.classList.remove("dragging");
  choose(event.dataTransfer.files[0]);
});
