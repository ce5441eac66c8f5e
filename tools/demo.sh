#!/usr/bin/env bash
# The demo: installs the packages, builds the release tree, starts the bundled demo camera
# (the simulator on its own loopback address), puts a "Demo camera" item for it into the
# namespace and opens the "Network Cameras" browser on its live view. Without a display it
# renders the live view off-screen for a few seconds, saves it as demo-live-view.png, and
# points the command-line client at the camera: a few seconds of stream, then a snapshot.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release

bin=build/release/bin
# The client library this build made, not one an older checkout registered before it.
"$bin/regsvr" "$bin/Lumin.so"
"$bin/regsvr" "$bin/Medrix.so"
"$bin/regsvr" "$bin/Foldra.so"
address=127.0.0.5
model=OC35
firmware=3.00 # the model's own, so the live view needs no identification on port 21
# Ports 80 and 21 need root, as a real camera's do; otherwise the demo camera takes 8080/2121.
host=$address
ports=()
if [ "$(id -u)" -ne 0 ]; then
  host=$address:8080
  ports=(--http-port 8080 --banner-port 2121)
fi

"$bin/camsim" --address "$address" --model "$model" --fps 25 "${ports[@]}" &
camsim_pid=$!
trap 'kill "$camsim_pid" 2>/dev/null; wait "$camsim_pid" 2>/dev/null || true' EXIT

url="http://$host/orvel-cgi/mjpg/video.cgi?resolution=640x480&camera=1"
for _ in $(seq 50); do
  curl -s -o /dev/null --max-time 1 "http://$host/orvel-cgi/jpg/image.cgi?resolution=160x120&camera=1" && break
  sleep 0.1
done

echo "demo camera $model at $host"
# The item the add wizard would make, written straight into the namespace's object file.
item="Demo camera"
"$bin/foldra-demo-item" "$item" "$host" "$model" "$firmware" 640x480
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$bin/netcams" ]; then
  echo "opening the Network Cameras browser on the live view (close it to end the demo)"
  "$bin/netcams" --open "Network Cameras\\$item"
  exit 0
fi
shot=$PWD/demo-live-view.png
echo "no display: showing the live view off-screen for 4 seconds"
QT_QPA_PLATFORM=offscreen "$bin/netcams" --open "Network Cameras\\$item" \
  --screenshot "$shot" --screenshot-after 4000
echo "live view screenshot saved to $shot"
echo "running the command-line demo"
if [ -x "$bin/camctl" ]; then
  "$bin/camctl" stream "$url" --seconds 5
  "$bin/camctl" snapshot "$url" demo-snapshot.jpg
else
  echo "camctl is not built yet; reading the stream with curl instead"
  curl -s --max-time 3 "$url" | head -c 200000 | wc -c
  curl -s -o demo-snapshot.jpg "http://$host/orvel-cgi/jpg/image.cgi?resolution=640x480&camera=1"
fi
echo "snapshot saved to demo-snapshot.jpg"
