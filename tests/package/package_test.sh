#!/usr/bin/env bash
# package_test.sh lintian CPACK_CONFIG WORK   makes the .deb in WORK and runs lintian on it
# package_test.sh chroot CPACK_CONFIG WORK    installs it on a fresh Debian 12 in WORK/root
set -euo pipefail
mode=$1 config=$2 work=$3
deb_of() { ls "$work"/deb/quillovarnenthodex_*_amd64.deb; }

if [ "$mode" = lintian ]; then
  [ -f "$config" ] || { echo "no $config: the build made no package (Windows runtimes missing?)"; exit 1; }
  rm -rf "$work/deb"
  cpack --config "$config" -B "$work/deb" >/dev/null
  deb=$(deb_of)
  echo "package: $deb ($(stat -c %s "$deb") bytes)"
  dpkg-deb --contents "$deb"
  # Errors fail the test; warnings and notes are shown.
  lintian --fail-on error --info "$deb"
  # xscreensaver-settings finds a hack's description by the hack's file name.
  rm -rf "$work/tree" && dpkg-deb -x "$deb" "$work/tree"
  python3 - "$work/tree/usr" <<'PY'
import os, sys, xml.etree.ElementTree as tree
usr = sys.argv[1]
for hack in os.listdir(f"{usr}/libexec/xscreensaver"):
    saver = tree.parse(f"{usr}/share/xscreensaver/config/{hack}.xml").getroot()
    assert saver.tag == "screensaver" and saver.get("name") == hack, (saver.tag, saver.attrib)
    assert [c.get("arg") for c in saver.iter("command")] == ["--root"], "the hack must be run with --root"
    print(f"{hack}: described as {saver.get('_label')}")
PY
  exit
fi

root=$work/root
# Whatever is mounted inside the chroot goes before the folder does.
release() {
  awk -v root="$root/" 'index($2, root) == 1 { print $2 }' /proc/mounts | sort -r |
    while read -r mount; do umount -l "$mount"; done
}
trap release EXIT
release
rm -rf --one-file-system "$root"
mkdir -p "$root"

# The Debian mirror this machine is set up with (one-line or deb822 sources).
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
  sed -E 's/\[[^]]*\]//' | awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' || true)
if [ -z "$mirror" ]; then
  mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'BEGIN { RS = "" }
    /(^|\n)Types:[^\n]*deb( |\n|$)/ && /(^|\n)Suites:[^\n]* bookworm( |\n|$)/ {
      match($0, /URIs: *[^ \n]+/); split(substr($0, RSTART, RLENGTH), f, / +/); print f[2]; exit }')
fi
[ -n "$mirror" ] || { echo "no Debian 12 mirror in /etc/apt/sources.list*"; exit 1; }

start=$(date +%s)
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$work/debootstrap.log" 2>&1 ||
  { tail -20 "$work/debootstrap.log"; exit 1; }
echo "debootstrap from $mirror: $(( $(date +%s) - start )) s"
mount -t proc proc "$root/proc"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }

deb=$(deb_of)
cp "$deb" "$root/tmp/"
in_root apt-get update -q > "$work/apt.log"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" >> "$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log"; exit 1; }
echo "installed: $(( $(date +%s) - start )) s"

version=$(in_root dpkg-query -W -f '${Version}' quillovarnenthodex)
tool_version=$(in_root voq-make --version)
[ "$tool_version" = "voq-make ${version%-*}" ] || { echo "voq-make --version says '$tool_version', the package is $version"; exit 1; }

# A photo made here, a saver for each runtime the package holds.
convert -size 300x200 gradient:'#1040c0-#f0d020' -fill '#c02020' -draw 'circle 150,100 150,40' \
  "$root/tmp/photo.jpg"
for target in linux windows32 windows64; do
  in_root voq-make build /tmp/photo.jpg --output "/tmp/photo-$target.scr" --target "$target"
done
in_root voq-make inspect /tmp/photo-linux.scr | tee "$work/inspect.txt"
grep -qx 'accepted: yes' "$work/inspect.txt"
in_root voq-make inspect /tmp/photo-windows32.scr > /dev/null
in_root voq-make preview /tmp/photo-linux.scr /tmp/preview.gif --seconds 1
[ "$(identify -format '%n %wx%h\n' "$root/tmp/preview.gif" | head -1)" = "30 640x480" ] ||
  { echo "preview: $(identify "$root/tmp/preview.gif" | head -2)"; exit 1; }

# The hack runs there, and the completion offers the commands.
in_root env SDL_VIDEODRIVER=dummy VOQ_FRAMES=5 /usr/libexec/xscreensaver/quillovarnenthodex /s
offered=$(in_root bash -c 'source /usr/share/bash-completion/completions/voq-make
  COMP_WORDS=(voq-make in); COMP_CWORD=1; _voq_make; echo "${COMPREPLY[*]}"')
[ "$offered" = "inspect install" ] || { echo "completion offered '$offered'"; exit 1; }
echo "chroot test: $(( $(date +%s) - start )) s"

release
rm -rf --one-file-system "$root"
