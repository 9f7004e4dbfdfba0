#include "selection/shell_script_texts.h"

#include <fmt/format.h>

namespace tonvera::shell_script {
namespace {

// Finds the server, and lists its outputs in `list_outputs`. pactl's JSON output drops
// every text that is not ASCII (16.1), so its plain listing is read instead, in the C locale
// for fixed English labels; a visible name runs from "Description: " to the "Driver: " line,
// which keeps names with line breaks whole. PipeWire's objects come as JSON from pw-dump and
// are read with jq: wpctl's own listing is laid out for people, not for reading back.
constexpr const char* kPrelude = R"sh(
export LC_ALL=C
tab=$(printf '\t')
has() { command -v "$1" >/dev/null 2>&1; }
if ! has pactl && ! has pw-dump; then
    echo "neither pactl (pulseaudio-utils) nor wpctl (wireplumber) is installed" >&2
    exit 1
fi
# PipeWire's own tools wherever PipeWire serves the sound; pactl where PulseAudio does, or
# where PipeWire's PulseAudio service answers but its own tools are missing.
tools=
server=$(pactl info 2>/dev/null </dev/null) || server=
case $server in "" | *"on PipeWire"*) ;; *) tools=pactl ;; esac
pipewire_tools=false
has wpctl && has pw-metadata && has jq && pipewire_tools=true
if [ -z "$tools" ] && $pipewire_tools && objects=$(pw-dump 2>/dev/null </dev/null); then
    tools=wpctl
elif [ -z "$tools" ] && [ -n "$server" ]; then
    tools=pactl
elif [ -z "$tools" ] && pw-dump >/dev/null 2>&1 </dev/null; then
    echo "PipeWire answers, but wpctl (wireplumber), pw-metadata or jq is missing" >&2
    exit 1
fi
[ -n "$tools" ] || exit "$no_sound_server"

pipewire='
def default_sink: first(.[] | select(.type == "PipeWire:Interface:Metadata"
        and .props["metadata.name"] == "default") | .metadata[]?
    | select(.subject == 0 and .key == "default.audio.sink") | .value
    | if type == "string" then (fromjson? // {}) else . end | .name) // "";
def sinks: .[] | select(.type == "PipeWire:Interface:Node"
    and .info.props["media.class"] == "Audio/Sink");
'

list_outputs() {
    if [ "$tools" = wpctl ]; then
        printf '%s' "$objects" | jq -r "$pipewire"'
            default_sink as $default | sinks | .info.props as $p
            | [(.id | tostring), $p["node.name"],
               (if $p["node.name"] == $default then "*" else "-" end),
               (($p["node.description"] // $p["node.nick"] // $p["node.name"])
                | gsub("%"; "%25") | gsub("\n"; "%0A"))]
            | join("\t")'
    else
        default=$(printf '%s\n' "$server" | sed -n 's/^Default Sink: //p')
        pactl list sinks </dev/null | DEFAULT_SINK=$default awk '
            function flush() {
                if (name != "") {
                    gsub(/%/, "%25", text)
                    gsub(/\n/, "%0A", text)
                    flag = name == ENVIRON["DEFAULT_SINK"] ? "*" : "-"
                    print name "\t" name "\t" flag "\t" text
                }
                name = ""; text = ""; inText = 0
            }
            /^Sink #/ { flush(); next }
            inText && /^\tDriver: / { inText = 0 }
            inText { text = text "\n" $0; next }
            /^\tName: / { name = substr($0, 8); next }
            /^\tDescription: / { text = substr($0, 15); inText = 1; next }
            END { flush() }'
    fi
}
)sh";

// The name reaches awk through the environment: awk's -v would read backslashes in it as
// escapes. Streams on the previous output follow, those routed by hand elsewhere stay: pactl
// moves them; on PipeWire, WirePlumber moves the streams that follow the default by itself,
// and those pinned to the previous output follow once the pin is dropped.
constexpr const char* kSelection = R"sh(
outputs=$(list_outputs) || exit 1
matches=$(printf '%s\n' "$outputs" | WANTED=$1 WANTED_DECOMPOSED=$2 awk '
    function encoded(s) { gsub(/%/, "%25", s); gsub(/\n/, "%0A", s); return s }
    BEGIN {
        FS = "\t"
        composed = encoded(ENVIRON["WANTED"]); decomposed = encoded(ENVIRON["WANTED_DECOMPOSED"])
    }
    { text = $0; sub(/^[^\t]*\t[^\t]*\t[^\t]*\t/, "", text) }
    text == composed || text == decomposed { print $2 "\t" $1 "\t" $3 }' | sort)
if [ -z "$matches" ]; then
    printf '%s\n' "$outputs"
    exit "$not_found"
fi
case $matches in *"$tab*"*) echo "the output was already selected ($tools)"; exit 0 ;; esac
previous=$(printf '%s\n' "$outputs" | awk -F '\t' '$3 == "*" { print $2 }')
selected=
while IFS=$tab read -r name key flag; do
    if [ "$tools" = wpctl ]; then
        wpctl set-default "$key" </dev/null >&2 && selected=$name && break
    else
        pactl set-default-sink "$key" </dev/null && selected=$name && break
    fi
done <<END
$matches
END
[ -n "$selected" ] || { echo "$tools could not select the output" >&2; exit 1; }
if [ "$tools" = wpctl ]; then
    printf '%s' "$objects" | PREVIOUS=$previous jq -r "$pipewire"'
        [sinks | select(.info.props["node.name"] == env.PREVIOUS) | .id] as $sinks
        | [.[] | select(.type == "PipeWire:Interface:Link") | .info
           | select(.["input-node-id"] as $i | $sinks | any(. == $i))
           | .["output-node-id"]] as $streams
        | .[] | select(.type == "PipeWire:Interface:Metadata"
            and .props["metadata.name"] == "default") | .metadata[]?
        | select((.key == "target.object" or .key == "target.node")
            and (.subject as $s | $streams | any(. == $s)))
        | "\(.subject) \(.key)"' |
    while read -r stream key; do
        pw-metadata -n default -d "$stream" "$key" </dev/null >/dev/null 2>&1
    done
elif [ -n "$previous" ]; then
    index=$(pactl list short sinks </dev/null |
        PREVIOUS=$previous awk '$2 == ENVIRON["PREVIOUS"] { print $1 }')
    pactl list short sink-inputs </dev/null | INDEX=$index awk '$2 == ENVIRON["INDEX"] { print $1 }' |
    while read -r stream; do
        pactl move-sink-input "$stream" "$selected" </dev/null >/dev/null 2>&1
    done
fi
echo "selected $selected with $tools"
)sh";

constexpr const char* kDiscovery = R"sh(
list_outputs || exit 1
)sh";

std::string script(const char* body) {
    return fmt::format("not_found={}\nno_sound_server={}\n", kExitNotFound, kExitNoSoundServer) +
           kPrelude + body;
}

}  // namespace

const std::string& selectionScript() {
    static const std::string text = script(kSelection);
    return text;
}

const std::string& discoveryScript() {
    static const std::string text = script(kDiscovery);
    return text;
}

}  // namespace tonvera::shell_script
