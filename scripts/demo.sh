#!/usr/bin/env bash
# The demo: builds what is missing, starts the virtual transducer on two pseudo-terminals
# (Modbus on Comm1, the information channel on Comm2), points the program at them through a
# temporary settings file and starts it polling the measurement page.
# Without a display it runs under Xvfb and saves a screenshot of the polling page instead
# (docs/measurement-page.png, or the path in $SCREENSHOT).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build} scripts/build.sh >/dev/null
build=$root/${BUILD_DIR:-build}
sim=$build/sim/tarvik-sim
app=$build/src/app/tarvik

work=$(mktemp -d)
cleanup() {
  [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --info --link "$work/modbus" --info-link "$work/info" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do
  [ -e "$work/modbus" ] && [ -e "$work/info" ] && break
  sleep 0.1
done
[ -e "$work/modbus" ] || { echo "tarvik-sim did not start:"; cat "$work/sim.out"; exit 1; }
echo "Virtual transducer: Modbus on $(readlink "$work/modbus") (Comm1), information channel on $(readlink "$work/info") (Comm2)"

export TARVIK_INI=$work/Tarvik.ini
cat >"$TARVIK_INI" <<INI
[Соединение]
Порт = 1
Скорость = 9600
Паритет = 0

[Порты]
Comm1 = $work/modbus
Comm2 = $work/info
INI

# Check "Авто опрос" and press "Читать" once the window is up.
export TARVIK_DEMO_POLL=1

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  "$app"
else
  shot=${SCREENSHOT:-$root/docs/measurement-page.png}
  mkdir -p "$(dirname "$shot")"
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
    '$app' & app_pid=\$!
    sleep ${DEMO_SECONDS:-4}
    import -window root -crop 846x630+100+50 +repage '$shot'
    kill \$app_pid; wait \$app_pid 2>/dev/null || true"
  echo "No display: saved a screenshot of the polling page to $shot"
fi
