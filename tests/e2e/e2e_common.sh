# Shared by the end-to-end scripts (sourced): a fresh home for the designer under OUTPUT_DIR, the
# X platform, and waiting for a window by its title.
#
#   e2e_home OUTPUT_DIR [CONFIG_DIR]   fresh $HOME, configuration folder and runtime folder
#   wait_window SECONDS ARGS...        prints the first window `xdotool search ARGS...` finds
#                                      within SECONDS; nothing when none appeared
#   ended_within PID SECONDS           succeeds when the process has ended by then

e2e_home() {
    local out=$1
    mkdir -p "$out"
    rm -rf "$out/home"
    export HOME=$out/home XDG_CONFIG_HOME=${2:-$out/home/.config} XDG_RUNTIME_DIR=$out/home/run
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    export QT_QPA_PLATFORM=xcb
}

wait_window() {
    local tries=$(($1 * 10)) found=""
    shift
    for _ in $(seq "$tries"); do
        found=$(xdotool search "$@" 2>/dev/null | head -1) && [ -n "$found" ] && break
        sleep 0.1
    done
    echo "$found"
}

# Succeeds when process PID has ended within SECONDS.
ended_within() {
    local pid=$1 tries=$(($2 * 10))
    for _ in $(seq "$tries"); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    ! kill -0 "$pid" 2>/dev/null
}
