#!/usr/bin/env bash
# Times and measures the loading of solutions built to be hard on the loader, natively and, when
# the cross build has sprig-find.exe, under Wine: a C# item 50 000 folders deep, 100 000 solution
# folders nested in one chain (lines in file order, then reversed), and a web site whose folder
# holds two links to itself. Prints seconds and peak memory (KB) of each load.
#   bench/hostile-load.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native="$root/build/native/tools/sprig-find/sprig-find"
windows="$root/build/win32/tools/sprig-find/sprig-find.exe"
[ -x "$native" ] || { echo "hostile-load.sh: build $native first" >&2; exit 1; }
dir="$root/build/bench-hostile"
mkdir -p "$dir/site/sub"

python3 - "$dir" <<'PY'
import sys
d = sys.argv[1]
def sln(name, body):
    with open(f"{d}/{name}", "w", encoding="utf-8") as f:
        f.write("\ufeff\r\nMicrosoft Visual Studio Solution File, Format Version 9.00\r\n# Visual Studio 2005\r\n" + body)
sln("deep.sln", 'Project("{FAE04EC0-301F-11D3-BF4B-00C04F79EFBC}") = "P", "P.csproj", "{A1}"\r\nEndProject\r\n')
with open(f"{d}/P.csproj", "w") as f:
    f.write('<Project><ItemGroup><Compile Include="' + "a\\" * 50000 + 'x.cs"/></ItemGroup></Project>')
n = 100000
folders = "".join(f'Project("{{2150E333-8FDC-42A3-9474-1A3956D46DE8}}") = "F{i}", "F{i}", "{{F{i}}}"\r\nEndProject\r\n'
                  for i in range(n))
lines = [f"\t\t{{F{i + 1}}} = {{F{i}}}\r\n" for i in range(n - 1)]
for name, order in (("chain.sln", lines), ("chain-reversed.sln", lines[::-1])):
    sln(name, folders + "Global\r\n\tGlobalSection(NestedProjects) = preSolution\r\n" + "".join(order) +
        "\tEndGlobalSection\r\nEndGlobal\r\n")
sln("site.sln", 'Project("{E24C65DC-7377-472B-9ABA-BC803B73C61A}") = "Site", "site\\", "{W1}"\r\nEndProject\r\n')
PY
touch "$dir/site/a.txt" "$dir/site/sub/b.txt"
ln -sfn . "$dir/site/loop1"
ln -sfn . "$dir/site/loop2"

measure() {  # measure LABEL COMMAND...
  /usr/bin/time -o "$dir/time" -f "%e s, %M KB" timeout 600 "${@:2}" --solution "$solution" "" >/dev/null 2>&1 || true
  printf '%-8s %-20s %s\n' "$1" "$(basename "$solution")" "$(tail -n 1 "$dir/time")"
}
for solution in "$dir"/deep.sln "$dir"/chain.sln "$dir"/chain-reversed.sln "$dir"/site.sln; do
  measure native "$native"
  if [ -f "$windows" ]; then
    SPRIG_WINEPREFIX="${SPRIG_WINEPREFIX:-$root/build/wineprefix}" \
      measure wine "$root/tools/with-display.sh" "$root/tools/wine-run.sh" "$windows"
  fi
done
