#!/usr/bin/env bash
# Starts the reader from a build's bin folder, whose collection is the one next
# to the executable. Without a display it says how to start it under Xvfb.
set -euo pipefail
bin="${1:?usage: run-reader.sh BIN_FOLDER [reader arguments...]}"
shift
reader="$bin/quillwen"

if [[ ! -x "$reader" ]]; then
  echo "run-reader: $reader was not built (the reader needs the full-text index in core/search)." >&2
  exit 1
fi
if [[ ! -f "$bin/mvr.dir" ]]; then
  echo "run-reader: no collection in $bin (mvr.dir is missing); the reader will say \"you delete data file!\"." >&2
  echo "            Build one there, or pass --data DIR to the reader." >&2
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  cat >&2 <<MSG
run-reader: there is no display (DISPLAY and WAYLAND_DISPLAY are empty), so the reader's
window cannot open here. Start it under a virtual X server instead:

  xvfb-run -a -s "-screen 0 1280x800x24" $reader $*

and take a look with, for example, "import -window root shot.png" (ImageMagick) from
another shell with the same DISPLAY, or run it on a machine with a desktop.
MSG
  exit 1
fi
exec "$reader" "$@"
