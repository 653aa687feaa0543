#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The web edition: installs what is missing (Debian's emscripten, rsvg-convert; for --test also
# Chromium and the node packages of web/package-lock.json), builds the whole site into build-web/
# and serves it at http://localhost:8080/ with a plain static server.
#   ./web.sh               build and serve
#   ./web.sh --build-only  build only
#   ./web.sh --test        build, then type-check, lint and run the browser tests in Chromium
set -euo pipefail
cd "$(dirname "$0")"
mode=${1:-serve}

packages=(emscripten librsvg2-bin python3 nlohmann-json3-dev cmake ninja-build)
[ "$mode" = --test ] && packages+=(chromium)
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
scripts/install.sh "${packages[@]}"

# Debian's emscripten runs its optimiser with `node`; a node that is not Debian's own finds
# Debian's JavaScript modules only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# emscripten is no compiler a cache of native objects knows: a launcher set for the native builds
# is left out here.
env -u CMAKE_CXX_COMPILER_LAUNCHER \
  emcmake cmake -S . -B build-web-cmake -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web-cmake

# The site: the pages, the module, the icons, and the service worker with the list of files.
rm -rf build-web
mkdir -p build-web/icons
cp web/site/*.html web/site/*.js web/site/*.css web/site/*.webmanifest build-web/
cp build-web-cmake/web/tobiuo.js build-web-cmake/web/tobiuo.wasm build-web/
for size in 192 512; do
  rsvg-convert -w "$size" -h "$size" data/icons/tobiuo.svg -o "build-web/icons/tobiuo-$size.png"
done
python3 - build-web <<'PY'
import hashlib, json, os, sys
site = sys.argv[1]
files = sorted(os.path.relpath(os.path.join(d, f), site)
               for d, _, names in os.walk(site) for f in names if f != "sw.js")
digest = hashlib.sha256()
for f in files:
    digest.update(f.encode() + open(os.path.join(site, f), "rb").read())
worker = open(os.path.join(site, "sw.js")).read()
worker = worker.replace("@VERSION@", "tobiuo-" + digest.hexdigest()[:16])
worker = worker.replace("@FILES@", json.dumps(["./"] + files))
open(os.path.join(site, "sw.js"), "w").write(worker)
total = sum(os.path.getsize(os.path.join(site, f)) for f in files + ["sw.js"])
print(f"build-web/: {len(files) + 1} files, {total} bytes")
PY
# A gzip copy beside every file, for hosts that serve them (nginx's gzip_static); not in the
# service worker's list, since the browser asks for the plain name.
find build-web -type f ! -name '*.gz' -exec gzip -9 -k -n -f {} +
echo "build-web/: $(cat build-web/*.gz build-web/icons/*.gz | wc -c) bytes as gzip"

case $mode in
  --build-only) ;;
  --test)
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
    (cd web && npx tsc -p . && npx eslint site test)
    TOBIUO_SIM=${TOBIUO_SIM:-build-test/cli/tobiuo-sim} node --test web/test/
    ;;
  serve)
    echo "Serving the web edition at http://localhost:8080/ (Ctrl-C stops)"
    exec python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web
    ;;
  *) echo "usage: $0 [--build-only|--test]" >&2; exit 2 ;;
esac
