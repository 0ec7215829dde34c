#!/bin/bash
# install_test.sh BUILD_DIR: installs into a temporary DESTDIR (never the system),
# checks the tree and runs the installed programs from it.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'chmod -R u+w "$stage"; rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

DESTDIR=$stage/root cmake --install "$build" --prefix /usr >"$stage/install.log"
usr=$stage/root/usr
id=jp.example.varoku.Varoku

for f in bin/varoku bin/varoku-qr share/applications/$id.desktop \
    share/icons/hicolor/scalable/apps/$id.svg share/metainfo/$id.metainfo.xml \
    share/man/man1/varoku.1.gz share/man/man1/varoku-qr.1.gz \
    share/bash-completion/completions/varoku-qr share/doc/varoku/copyright; do
    [[ -s $usr/$f ]] || fail "missing $f"
done
[[ -x $usr/bin/varoku && -x $usr/bin/varoku-qr ]] || fail "programs not executable"

out=$(desktop-file-validate "$usr/share/applications/$id.desktop" 2>&1) || fail "desktop entry: $out"
appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" >"$stage/as.log" 2>&1 ||
    fail "metainfo: $(cat "$stage/as.log")"
grep -q '<release version="2.0.1.0"' "$usr/share/metainfo/$id.metainfo.xml" || fail "release 2.0.1.0"
grep -q '<svg' "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "icon is no SVG"

# Pages render without complaint, and every option of --help is in varoku-qr's page.
for page in varoku varoku-qr; do
    text=$(MANWIDTH=100 LC_ALL=C.UTF-8 man -l "$usr/share/man/man1/$page.1.gz" 2>"$stage/man.err" | col -b)
    [[ ! -s $stage/man.err ]] && [[ $text == *NAME* ]] || fail "$page.1 does not render: $(cat "$stage/man.err")"
    [[ $page == varoku-qr ]] && qr_text=$text
done
qr=$usr/bin/varoku-qr
options=$("$qr" --help | grep -oE -- '(^|[ ,])--?[a-zA-Z][a-zA-Z0-9-]*' | sed -E 's/^[ ,]+//' | grep -vxE -- '-|--' | sort -u)
[[ $(wc -l <<<"$options") -gt 30 ]] || fail "too few options read from --help"
for o in $options; do
    grep -qF -- "$o" <<<"$qr_text" || fail "varoku-qr.1 lacks $o"
done
for s in "EXIT STATUS" FILES EXAMPLES; do grep -q "^$s" <<<"$qr_text" || fail "varoku-qr.1 lacks $s"; done

# Completion, as bash would ask for it.
complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             PATH="$0:$PATH" _varoku_qr varoku-qr; printf "%s\n" "${COMPREPLY[@]}"' \
        "$usr/bin" "$usr/share/bash-completion/completions/varoku-qr" "$@" | sort | tr '\n' ' '
}
[[ $(complete_words varoku-qr -t "") == "eps pbm pbm-text pdf png svg utf8 " ]] || fail "completion of -t: $(complete_words varoku-qr -t "")"
[[ $(complete_words varoku-qr mail --carrier s) == "smartphone softbank " ]] || fail "completion of --carrier"
[[ $(complete_words varoku-qr --print-pay) == "--print-payload " ]] || fail "completion of options"
[[ $(complete_words varoku-qr ba) == *batch* ]] || fail "completion of commands"

# The installed command-line program works from the staged tree.
[[ $("$qr" --program-version) == *2.0.1.0* ]] || fail "varoku-qr --program-version"
pbm=$(printf 'Hello' | "$qr" -t pbm | head -c 2) || fail "varoku-qr exit status"
[[ $pbm == P4 ]] || fail "varoku-qr made no PBM"
# Captions, SVG and the payloads load libvaroku-qr-draw from the installed library folder.
svg=$("$qr" -t svg --comment-up 'こんにちは' Hello) || fail "varoku-qr could not load its drawing library"
[[ $svg == *"<svg"* ]] || fail "varoku-qr made no SVG"

# The installed window with a read-only program folder and a fresh HOME: its settings
# go to $XDG_CONFIG_HOME/varoku/, nothing lands beside the program or in the current
# directory. SIGTERM closes it as the user would.
mkdir -p "$stage/home" "$stage/run" "$stage/cwd"
chmod 700 "$stage/run"
chmod a-w "$usr/bin"
(cd "$stage/cwd" && exec env -u XDG_DATA_HOME HOME="$stage/home" XDG_CONFIG_HOME="$stage/home/cfg" \
    QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$stage/run" "$usr/bin/varoku" >"$stage/window.log" 2>&1) &
window=$!
for _ in $(seq 1 100); do
    grep -q . "$stage/window.log" 2>/dev/null && break
    [[ -e /proc/$window ]] || break
    sleep 0.1
done
sleep 2
kill -TERM "$window" 2>/dev/null || true
wait "$window" || fail "window exit status $? ($(cat "$stage/window.log"))"
[[ -s $stage/home/cfg/varoku/varoku.ini ]] || fail "no settings under XDG_CONFIG_HOME/varoku"
[[ $(stat -c %a "$stage/home/cfg/varoku") == 700 ]] || fail "settings folder not private"
[[ ! -e $usr/bin/varoku.ini ]] || fail "settings written beside the program"
[[ -z $(ls -A "$stage/cwd") ]] || fail "files left in the current directory"

if ((failures)); then
    echo "$failures failed" >&2
    exit 1
fi
echo "installed tree: $(cd "$stage/root" && find . -type f | wc -l) files, all checks passed"
