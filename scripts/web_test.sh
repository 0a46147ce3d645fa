#!/usr/bin/env bash
# The browser build's tests: builds build-web/ (scripts/web.sh --build-only),
# installs Debian's Chromium and Firefox ESR and the pinned puppeteer-core
# (web/tests' package-lock.json), and runs web/tests in headless Chromium,
# then in Firefox on Xvfb (it has WebGL 2 only with a display here), and the
# reference moments in Chromium's software WebGL (SwiftShader).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/web.sh --build-only
source scripts/lib/packages.sh
ensure_packages chromium firefox-esr xvfb xauth
command -v npm > /dev/null || ensure_packages npm
cd web/tests
npm ci --no-audit --no-fund --loglevel=error
status=0
echo "browser tests in Chromium"
node --test || status=1
echo "browser tests in Firefox ESR"
PQN_BROWSER=firefox xvfb-run -a -s '-screen 0 1280x1024x24' node --test || status=1
# Chromium's software WebGL (SwiftShader, where the GPU is blocklisted) has
# arithmetic of its own: the reference moments hold there too.
echo "the reference moments in Chromium's SwiftShader"
PQN_WEBGL=swiftshader node --test --test-name-pattern 'reference moments' || status=1
exit $status
