#!/usr/bin/env bash
# The game reaches the machine only through platform/: no file outside platform/sdl/ may include
# an SDL header, and no CMake file outside platform/ may link SDL.
set -u
cd "$(dirname "$0")/.."
status=0
hits=$(git ls-files '*.cpp' '*.h' | grep -v '^platform/sdl/' | xargs grep -n -E '#\s*include\s*[<"]SDL' 2>/dev/null)
if [ -n "$hits" ]; then
  echo "SDL headers outside platform/sdl/:"; echo "$hits"; status=1
fi
links=$(git ls-files '*CMakeLists.txt' | grep -v '^platform/' | xargs grep -n -E 'PkgConfig::SDL2' 2>/dev/null)
if [ -n "$links" ]; then
  echo "SDL linked outside platform/:"; echo "$links"; status=1
fi
[ $status -eq 0 ] && echo "platform boundary kept"
exit $status
