#!/usr/bin/env bash
# Runs the browser test with a python3 that has selenium: the one on the PATH,
# else Debian's own (python3-selenium is a Debian package).
set -u
py=python3
if ! python3 -c 'import selenium' 2>/dev/null && [ -x /usr/bin/python3 ]; then py=/usr/bin/python3; fi
exec "$py" "$(dirname "$0")/test_report.py" "$@"
