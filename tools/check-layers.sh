#!/usr/bin/env bash
# Fails when a file of the core layer includes a window header: anything of QtGui or QtWidgets
# (by module path or by class header name) or anything under src/ui/.
#   tools/check-layers.sh SRC_DIR QT_INCLUDE_DIR
set -euo pipefail
src=${1:?source folder}
qt=${2:?Qt include folder}
for module in QtGui QtWidgets; do
    [ -d "$qt/$module" ] || { echo "no $qt/$module" >&2; exit 2; }
done
# Class headers such as <QFont> or <QWidget>: the extensionless names those two modules install.
window_headers=$(cd "$qt" && find QtGui QtWidgets -maxdepth 1 -type f -name 'Q*' ! -name '*.*' -printf '%f\n' | sort -u)
fail=0
while IFS= read -r line; do
    file=${line%%:*}
    header=$(sed -E 's/^[^:]*:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]+)[>"].*/\1/' <<<"$line")
    bad=
    case "$header" in
    QtGui/* | QtWidgets/* | ui/* | */ui/*) bad=1 ;;
    *) grep -qxF "$header" <<<"$window_headers" && bad=1 ;;
    esac
    if [ -n "$bad" ]; then
        echo "${line%%#*}includes $header, which belongs to the window layer" >&2
        fail=1
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include' "$src/core" || true)
[ "$fail" -eq 0 ] && echo "src/core includes no window header"
exit "$fail"
