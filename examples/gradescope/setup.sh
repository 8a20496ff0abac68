#!/usr/bin/env bash
# Gradescope runs this once, as root, when the autograder is built. The zip
# holds, beside this file and run_autograder: replacement_input.txt (the test
# cases) and either runcheck_1.0.0_amd64.deb (made by `cpack -G DEB`, see
# the README) or a runcheck-explain program built for the image.
set -euo pipefail
source_dir="${AUTOGRADER:-/autograder}/source"
if compgen -G "$source_dir/runcheck_*.deb" >/dev/null; then
  apt-get update
  apt-get install -y "$source_dir"/runcheck_*.deb
else
  install -m 755 "$source_dir/runcheck-explain" /usr/local/bin/runcheck-explain
fi
