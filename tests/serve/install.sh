#!/usr/bin/env bash
# Installs the browser test's npm packages (playwright-core, which drives
# Debian's own /usr/bin/chromium) from the committed lock file.
set -euo pipefail
cd "$(dirname "$0")"
wanted=$(node -p 'require("./package.json").dependencies["playwright-core"]')
have=$(node -p 'try { require("./node_modules/playwright-core/package.json").version } catch (e) { "" }')
[ "$have" = "$wanted" ] || npm ci --no-audit --no-fund --loglevel=error
