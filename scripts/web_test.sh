#!/usr/bin/env bash
# The browser build's tests: builds build-web/ (scripts/web.sh --build-only),
# installs Debian's Chromium and the pinned puppeteer-core (web/tests'
# package-lock.json), and runs web/tests in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web.sh --build-only
source scripts/lib/packages.sh
ensure_packages chromium
command -v npm > /dev/null || ensure_packages npm
cd web/tests
npm ci --no-audit --no-fund --loglevel=error
node --test
