#!/bin/sh
# Runs the player's playback cases against a PulseAudio server started for them: its own
# XDG_RUNTIME_DIR, one null sink, no other module, gone when the test ends. Without pulseaudio,
# parec or sox the cases skip and say why.
# Usage: playback_test.sh TEST-PROGRAM
set -u
program=$1
cases="messageFilesLoadWithTheirDuration filesThatCannotBePlayedAreSaid buttonsFollowTheMode
       openStartsPlayingByItself soundReachesTheSink"

for tool in pulseaudio pactl parec sox; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        FONEDESK_PLAYBACK_SKIP="$tool is not installed" PULSE_SERVER=unix:/nonexistent/pulse \
            exec "$program" $cases
    fi
done

work=$(mktemp -d /tmp/fonedesk-playback-XXXXXX) || exit 1
server=
cleanup() {
    if [ -n "$server" ]; then
        kill "$server" 2>/dev/null
        wait "$server" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

mkdir -m 700 "$work/run" "$work/home"
export XDG_RUNTIME_DIR="$work/run" HOME="$work/home"
export PULSE_SERVER="unix:$work/run/pulse/native"
# Nothing may reach or wake the desktop's own sound or bus.
unset DBUS_SESSION_BUS_ADDRESS DISPLAY WAYLAND_DISPLAY
sink=fonedesk_test

pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
    --load="module-null-sink sink_name=$sink" --load=module-native-protocol-unix \
    >"$work/pulseaudio.log" 2>&1 &
server=$!

# Up to a minute for the server to answer; a server that never does is a failure, not a skip.
tries=0
until pactl info >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ "$tries" -gt 600 ] || ! kill -0 "$server" 2>/dev/null; then
        echo "playback_test.sh: the PulseAudio server did not start:" >&2
        cat "$work/pulseaudio.log" >&2
        exit 1
    fi
    sleep 0.1
done

FONEDESK_PLAYBACK_SINK=$sink "$program" $cases
