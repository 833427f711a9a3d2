#!/usr/bin/env bash
# Generates the demo data only when the generator changed since the last run into that folder.
# usage: demo-data.sh VANTOR-TOOL OUTDIR [make-demo options...]
#
# The stamp OUTDIR.stamp, beside the folder, holds a digest of the vantor-tool binary and the
# options it ran with; it is written only after a run that succeeded. A folder whose archive is
# gone is made again whatever the stamp says.
set -euo pipefail
tool=$1
out=${2%/}
shift 2
stamp=$out.stamp
want="$(sha256sum <"$tool" | cut -d' ' -f1) $*"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -f "$out/data.res" ]; then
  echo "demo data in $out is up to date"
  exit 0
fi
rm -f "$stamp"
"$tool" make-demo --force "$@" "$out"
printf '%s\n' "$want" >"$stamp.tmp"
mv "$stamp.tmp" "$stamp"
