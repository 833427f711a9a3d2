#!/usr/bin/env bash
# scripts/demo-data.sh with a stand-in for vantor-tool that counts its runs: the data is made
# again only when the tool or the options changed, or the output is gone, and a failed run
# leaves no stamp.
set -u
script=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/tool" <<'TOOL'
#!/usr/bin/env bash
dir=$(dirname "$0")
echo run >>"$dir/runs"
[ -f "$dir/fail" ] && exit 1
out=${*: -1}
mkdir -p "$out" && touch "$out/data.res"
TOOL
chmod +x "$tmp/tool"
failures=0
runs() { [ -f "$tmp/runs" ] && wc -l <"$tmp/runs" || echo 0; }
step() { # step WHAT EXPECTED-RUNS [options]
  local what=$1 expected=$2
  shift 2
  bash "$script" "$tmp/tool" "$tmp/demo" "$@" >/dev/null 2>&1
  local got
  got=$(runs)
  if [ "$got" -ne "$expected" ]; then
    echo "FAIL: $what: $got runs of the tool, expected $expected"; failures=$((failures + 1))
  fi
}
step "first run" 1
step "nothing changed" 1
echo "# rebuilt" >>"$tmp/tool"
step "the tool changed" 2
step "other options" 3 --draft
step "the same options again" 3 --draft
rm "$tmp/demo/data.res"
step "the output removed" 4 --draft
echo "# rebuilt again" >>"$tmp/tool"
touch "$tmp/fail"
step "a failing run" 5 --draft
rm "$tmp/fail"
step "after a failed run the data is made again" 6 --draft
[ "$failures" -eq 0 ] && echo "the demo data is made only when needed"
exit "$failures"
