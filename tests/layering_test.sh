#!/usr/bin/env bash
# A layer's include view lets through what lies below it and nothing else: an include that
# runs against the direction does not compile. The row that must compile proves the
# compiler ran. Usage: layering_test.sh CXX VIEWS_DIR
set -u
cxx=${1:?usage: layering_test.sh CXX VIEWS_DIR}
views=${2:?usage: layering_test.sh CXX VIEWS_DIR}
bad=0
while read -r view header expected; do
    if echo "#include \"$header\"" | "$cxx" -std=c++20 -fsyntax-only -I "$views/$view" -x c++ - \
        >/dev/null 2>&1; then got=compiles; else got=fails; fi
    [ "$got" = "$expected" ] || { echo "FAIL: $header in $view's view $got"; bad=1; }
done <<'ROWS'
orx_net serial/SerialBootServer.h fails
orx_ui transfer/TransferTable.h fails
orx_net transfer/TransferTable.h compiles
ROWS
exit "$bad"
