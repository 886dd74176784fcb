#!/usr/bin/env bash
# The setup program and its uninstaller under Wine, in a fresh prefix of their own:
#   install.sh PREFIX SETUP OLDER_SETUP END_TO_END_DIR -- sprig-host.exe ARGS...
# Each setup program lies beside the folder it was made from (Sprig-<version>/). The prefix looks
# as if Visual Studio 8.0, 9.0 and 12.0 were installed, 10.0 only as an Express edition, 11.0
# uninstalled (its key left, no devenv.exe) and 14.0 as well; the environments have recorded the
# add-in's set-up in 8.0, 9.0, 10.0 and 12.0. In order:
#   - the registry that regsvr32 and regsvr32 /u of the staged DLL leave, as the reference;
#   - a silent install: the files, exactly that registration, the uninstall entry, the add-in's
#     key for 9.0 and 12.0 the same as 8.0's, none for 10.0, 11.0 and 14.0, and the records of the
#     set-up gone for 8.0, 9.0 and 12.0 only;
#   - the same version again, then the older one and the newer one over it;
#   - the stand-in environment's end-to-end runs 1 to 3 (tests/host/end-to-end.sh) with it, as
#     8.0, 9.0 and 12.0; a reinstall after them, and each version sets the add-in up again;
#   - a silent install or uninstall while the environment has the DLL loaded fails and changes
#     nothing;
#   - the silent uninstall leaves no file, folder or entry, leaves what regsvr32 /u leaves, no
#     key and no record of the set-up of the add-in for any version, and keeps the dialog
#     settings; then end-to-end run 4.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../host/end-to-end.sh"
export SPRIG_WINEPREFIX=$1
setup=$2 older=$3 expected=$4
shift 5
run="$here/../../tools/wine-run.sh"
folder="$SPRIG_WINEPREFIX/drive_c/Program Files/Sprig"
entry_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sprig'
vs_key='HKCU\Software\Microsoft\VisualStudio'
settings_key="HKCU\\Software\\Tarn's Tools\\Sprig!"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
fail() { echo "FAIL: $*"; status=1; }
windows() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
version_of() { local name=${1##*/Sprig-}; printf '%s' "${name%-setup.exe}"; }
stage_of() { printf '%s/Sprig-%s' "$(dirname "$1")" "$(version_of "$1")"; }

# The registry as text: the classes, the machine's software and the per-user keys of the
# environment 8.0 (the rest of the user's keys take what Wine and its shell write while the
# environment runs), without the uninstall entry and the environments' records of set-ups, which
# are checked on their own.
snapshot() {  # snapshot FILE
  local root
  : >"$1"
  for root in HKCR 'HKLM\Software' "$vs_key\\8.0"; do
    if "$run" reg export "$root" "$(windows "$work/part.reg")" /y >/dev/null 2>&1; then
      iconv -f UTF-16LE -t UTF-8 "$work/part.reg" | tr -d '\r' |
        awk '/^\[/ { skip = index($0, "\\Uninstall\\Sprig") || index($0, "\\PreloadAddinState") } !skip' >>"$1"
    else
      echo "no $root" >>"$1"
    fi
  done
}
same_registry() {  # same_registry REFERENCE WHEN
  snapshot "$work/now"
  cmp -s "$1" "$work/now" || { fail "$2: the registry differs from $(basename "$1")"; diff "$1" "$work/now" | head -n 40; }
}
listing() { (cd "$folder" 2>/dev/null && ls -A); }
# The installed files are exactly the staged ones and the uninstaller.
same_files() {  # same_files SETUP WHEN
  local stage name
  stage=$(stage_of "$1")
  [ "$(listing | tr '\n' ' ')" = "LICENSE.txt README.txt Sprig.dll Uninstall.exe " ] ||
    fail "$2: the folder holds: $(listing | tr '\n' ' ')"
  for name in Sprig.dll README.txt LICENSE.txt; do
    cmp -s "$stage/$name" "$folder/$name" || fail "$2: $name is not $stage/$name"
  done
}
entry() { "$run" reg query "$entry_key" 2>/dev/null | tr -d '\r' | sed '/^$/d'; }
same_entry() {  # same_entry SETUP WHEN
  local size=0 file
  for file in "$folder"/*; do size=$((size + $(stat -c %s "$file"))); done
  local install='C:\Program Files\Sprig'
  printf '%s\n' 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sprig' \
    "    DisplayIcon    REG_SZ    $install\\Sprig.dll,0" \
    '    DisplayName    REG_SZ    Sprig!' \
    "    DisplayVersion    REG_SZ    $(version_of "$1")" \
    "    EstimatedSize    REG_DWORD    $(printf '0x%x' $((size / 1024)))" \
    "    InstallLocation    REG_SZ    $install" \
    '    NoModify    REG_DWORD    0x1' \
    '    NoRepair    REG_DWORD    0x1' \
    "    Publisher    REG_SZ    Tarn's Tools" \
    "    QuietUninstallString    REG_SZ    \"$install\\Uninstall.exe\" /S" \
    "    UninstallString    REG_SZ    \"$install\\Uninstall.exe\"" \
    '    VisualStudioVersions    REG_SZ    8.0 9.0 12.0' >"$work/entry"
  entry >"$work/entry.now"
  cmp -s "$work/entry" "$work/entry.now" || { fail "$2: the uninstall entry differs"; diff "$work/entry" "$work/entry.now"; }
}
# The add-in's key of one version as text, its key's name without the version.
addin_key() {  # addin_key VERSION
  "$run" reg export "$vs_key\\$1\\AddIns\\Sprig.Connect" "$(windows "$work/addin.reg")" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16LE -t UTF-8 "$work/addin.reg" | tr -d '\r' | sed "s/\\\\$1\\\\AddIns/\\\\V\\\\AddIns/"
}
preloaded() { "$run" reg query "$vs_key\\$1\\PreloadAddinState" /v Sprig.Connect >/dev/null 2>&1; }
# The versions found have the very key that registration wrote for 8.0, the others none; the
# records of the set-up are gone where the add-in was added, and kept elsewhere.
same_versions() {  # same_versions WHEN
  local v
  addin_key 8.0 >"$work/addin-8.0" || fail "$1: no add-in key for 8.0"
  for v in 9.0 12.0; do
    addin_key $v >"$work/addin-$v" || fail "$1: no add-in key for $v"
    cmp -s "$work/addin-8.0" "$work/addin-$v" || { fail "$1: $v's add-in key differs from 8.0's"; diff "$work/addin-8.0" "$work/addin-$v"; }
  done
  for v in 10.0 11.0 14.0; do addin_key $v >/dev/null && fail "$1: an add-in key for $v"; done
  for v in 8.0 9.0 12.0; do preloaded $v && fail "$1: $v still records the add-in's set-up"; done
  preloaded 10.0 || fail "$1: the record of 10.0, where nothing was added, is gone"
}
install() {  # install SETUP WHEN: a silent install that succeeds and leaves everything as it should
  "$run" "$(windows "$1")" /S || fail "$2: the setup program ended with $?"
  same_files "$1" "$2"
  same_entry "$1" "$2"
  same_registry "$work/registered" "$2"
  same_versions "$2"
}
# The environments have run the add-in's set-up.
record_setups() {
  local v
  for v in 8.0 9.0 10.0 12.0; do
    "$run" reg add "$vs_key\\$v\\PreloadAddinState" /v Sprig.Connect /t REG_DWORD /d 1 /f >/dev/null 2>&1
  done
}

# A fresh prefix, where the environment has registered its own type libraries once.
[ -d "$SPRIG_WINEPREFIX" ] && WINEPREFIX=$SPRIG_WINEPREFIX wineserver -k 2>/dev/null
rm -rf "$SPRIG_WINEPREFIX"
"$run" "$@" --quit >/dev/null 2>&1 || fail "the environment did not start"

# Visual Studio as its installations leave it in the 32-bit view (the prefix's only one).
vs() {  # vs KEY VERSION PROGRAM: KEY\VERSION names an InstallDir that holds PROGRAM, if any
  local dir="C:\\$1 $2\\Common7\\IDE\\"
  "$run" reg add "HKLM\\Software\\Microsoft\\$1\\$2" /v InstallDir /d "$dir" /f >/dev/null 2>&1 ||
    fail "cannot add $1 $2"
  if [ -n "$3" ]; then
    mkdir -p "$SPRIG_WINEPREFIX/drive_c/$1 $2/Common7/IDE"
    : >"$SPRIG_WINEPREFIX/drive_c/$1 $2/Common7/IDE/$3"
  fi
}
vs VisualStudio 8.0 devenv.exe
vs VisualStudio 9.0 devenv.exe
vs VisualStudio 12.0 devenv.exe
vs VisualStudio 14.0 devenv.exe
vs VisualStudio 11.0 ''
vs VCExpress 10.0 VCExpress.exe
"$run" reg add 'HKLM\Software\Microsoft\VisualStudio\10.0\Setup\VC' /v ProductDir /d 'C:\VC' /f >/dev/null 2>&1

# The reference: regsvr32 and regsvr32 /u of the staged DLL where the setup program puts it.
mkdir -p "$folder"
cp "$(stage_of "$setup")/Sprig.dll" "$folder/"
"$run" regsvr32 /s 'C:\Program Files\Sprig\Sprig.dll' || fail "regsvr32 failed"
snapshot "$work/registered"
"$run" regsvr32 /u /s 'C:\Program Files\Sprig\Sprig.dll' || fail "regsvr32 /u failed"
snapshot "$work/unregistered"
rm -rf "$folder"
cmp -s "$work/registered" "$work/unregistered" && fail "regsvr32 changed nothing"
record_setups

install "$setup" "first install"
install "$setup" "second install"
install "$older" "older version"
install "$setup" "newer over older"

end_to_end_registered "$expected" "$@" || fail "end-to-end runs with the installed add-in"
for v in 9.0 12.0; do
  end_to_end_registered "$expected" "$@" --version $v || fail "end-to-end runs with the installed add-in as $v"
done

# A reinstall after the environments recorded the set-up: each sets the add-in up again at its
# next start, and only then.
for v in 8.0 9.0 12.0; do preloaded $v || fail "the environment $v recorded no set-up"; done
"$run" "$(windows "$setup")" /S || fail "reinstall: the setup program ended with $?"
for v in 8.0 9.0 12.0; do
  "$run" "$@" --version $v --quit 2>/dev/null | tr -d '\r' >"$work/start"
  grep -qx 'preloaded Sprig.Connect' "$work/start" || { fail "after the reinstall $v did not set the add-in up"; cat "$work/start"; }
  "$run" "$@" --version $v --quit 2>/dev/null | grep -q '^connected' && fail "$v set the add-in up twice"
done

# The environment with the add-in loaded, while the older setup program runs: a DLL replaced
# in spite of the failure would show.
"$run" "$@" --run-command Sprig.Connect.Sprig >"$work/holder" 2>&1 &
holder=$!
for _ in $(seq 150); do
  grep -q '^connected Sprig.Connect mode 0' "$work/holder" && break
  sleep 0.2
done
grep -q '^connected Sprig.Connect mode 0' "$work/holder" || fail "the environment did not load the add-in"
"$run" "$(windows "$older")" /S
code=$?
[ $code -eq 3 ] || fail "with the DLL in use the setup program ended with $code, not 3"
same_files "$setup" "DLL in use"
same_entry "$setup" "DLL in use"
same_registry "$work/registered" "DLL in use"
# So does the uninstaller, run in place ("_?=" keeps it from running a copy of itself); a batch
# file hands it that command line as written.
printf '"C:\\Program Files\\Sprig\\Uninstall.exe" /S _?=C:\\Program Files\\Sprig\r\nexit %%errorlevel%%\r\n' \
  >"$work/uninstall.bat"
"$run" cmd /c "$(windows "$work/uninstall.bat")" >/dev/null
code=$?
[ $code -eq 3 ] || fail "with the DLL in use the uninstaller ended with $code, not 3"
same_files "$setup" "DLL in use, uninstalling"
same_entry "$setup" "DLL in use, uninstalling"
same_registry "$work/registered" "DLL in use, uninstalling"
kill "$holder"
wait "$holder" 2>/dev/null
WINEPREFIX=$SPRIG_WINEPREFIX wineserver -w

# The silent uninstall, as an administrator's deployment runs it. The uninstaller runs from a
# copy of itself, so the prefix's processes are waited for.
"$run" reg export "$settings_key" "$(windows "$work/settings-before.reg")" /y >/dev/null 2>&1 ||
  fail "the end-to-end runs left no dialog settings"
quiet=$("$run" reg query "$entry_key" /v QuietUninstallString | tr -d '\r' | sed -n 's/.*REG_SZ    //p')
[ "$quiet" = '"C:\Program Files\Sprig\Uninstall.exe" /S' ] || fail "no quiet uninstall command: $quiet"
"$run" 'C:\Program Files\Sprig\Uninstall.exe' /S || fail "the uninstaller ended with $?"
WINEPREFIX=$SPRIG_WINEPREFIX wineserver -w
[ -e "$folder" ] && fail "after uninstalling, the folder holds: $(listing | tr '\n' ' ')"
"$run" reg query "$entry_key" >/dev/null 2>&1 && fail "after uninstalling, the uninstall entry is left"
same_registry "$work/unregistered" "uninstalled"
for v in 8.0 9.0 10.0 11.0 12.0 14.0; do
  addin_key $v >/dev/null && fail "after uninstalling, an add-in key for $v is left"
done
for v in 8.0 9.0 12.0; do preloaded $v && fail "after uninstalling, $v still records the add-in's set-up"; done
preloaded 10.0 || fail "the uninstaller took 10.0's record, which the setup program never touched"
"$run" reg export "$settings_key" "$(windows "$work/settings-after.reg")" /y >/dev/null 2>&1
cmp -s "$work/settings-before.reg" "$work/settings-after.reg" || fail "the uninstaller changed the dialog settings"

end_to_end_removed "$expected" "$@" || fail "end-to-end run after uninstalling"
WINEPREFIX=$SPRIG_WINEPREFIX wineserver -w
exit $status
