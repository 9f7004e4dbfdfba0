#include "selection/shell_script_texts.h"

#include <fmt/format.h>

namespace tonvera::shell_script {
namespace {

// Finds the server, and lists its outputs in `list_outputs`. Outputs are read as JSON with
// jq: PipeWire's objects from pw-dump (wpctl's own listing is laid out for people, not for
// reading back), the sinks from pactl. pactl's JSON drops every text that is not ASCII
// (16.1, "(null)" instead), so such a visible name is read from its plain listing, in the C
// locale for fixed English labels, from "Description: " to the "Driver: " line. A name with
// line breaks can copy the layout of that listing, so it is read only when its "Sink #" lines
// are exactly the sinks of the JSON; a sink whose name is then unknown is left out. An
// internal name is written with its line breaks and tabs encoded, or left out where pactl
// must be given it as it is.
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
if [ "$tools" = pactl ] && ! has jq; then
    echo "PulseAudio answers, but jq is missing" >&2
    exit 1
fi

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
            | [(.id | tostring), ($p["node.name"] // "" | gsub("\t"; "%09") | gsub("\n"; "%0A")),
               (if $p["node.name"] == $default then "*" else "-" end),
               (($p["node.description"] // $p["node.nick"] // $p["node.name"])
                | gsub("%"; "%25") | gsub("\n"; "%0A"))]
            | join("\t")'
    else
        default=$(printf '%s\n' "$server" | sed -n 's/^Default Sink: //p')
        sinks=$(pactl --format=json list sinks </dev/null 2>/dev/null) &&
            listing=$(pactl list sinks </dev/null) || return 1
        printf '%s' "$listing" | DEFAULT_SINK=$default \
            SINKS=$(printf '%s' "$sinks" | jq -c 'map([.index, .name, .description])') jq -Rrs '
            def described: (map(startswith("\tDescription: ")) | index(true)) as $from
                | (.[$from:] | map(startswith("\tDriver: ")) | index(true)) as $length
                | if $from and $length then .[$from:$from + $length] | join("\n") | .[14:]
                  else empty end;
            (env.SINKS | fromjson) as $sinks
            | reduce (split("\n")[]) as $line ([];
                if $line | startswith("Sink #") then . + [{index: $line[6:], lines: []}]
                elif length > 0 then .[length - 1].lines += [$line] else . end)
            | . as $blocks | (map(.index) == ($sinks | map(.[0] | tostring))) as $whole
            | range($sinks | length) as $i | $sinks[$i] as [$index, $name, $json]
            | select($name | test("[\t\n]") | not)
            | (if $json != "(null)" then $json
               elif $whole then $blocks[$i].lines | described else empty end) as $text
            | [$name, $name, (if $name == env.DEFAULT_SINK then "*" else "-" end),
               ($text | gsub("%"; "%25") | gsub("\n"; "%0A"))]
            | join("\t")'
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
if printf '%s\n' "$matches" | awk -F '\t' '$3 == "*" { found = 1 } END { exit !found }'; then
    echo "the output was already selected ($tools)"
    exit 0
fi
previous=$(printf '%s\n' "$outputs" | awk -F '\t' '$3 == "*" { print $1 }')
selected=
while IFS=$tab read -r name key flag; do
    if [ "$tools" = wpctl ]; then
        wpctl set-default "$key" </dev/null >&2 && selected=$name && break
    else
        pactl -- set-default-sink "$key" </dev/null && selected=$name && break
    fi
done <<END
$matches
END
[ -n "$selected" ] || { echo "$tools could not select the output" >&2; exit 1; }
if [ "$tools" = wpctl ]; then
    printf '%s' "$objects" | PREVIOUS=$previous jq -r "$pipewire"'
        [sinks | select(.id | tostring == env.PREVIOUS) | .id] as $sinks
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
    index=$(pactl --format=json list sinks </dev/null 2>/dev/null |
        PREVIOUS=$previous jq '.[] | select(.name == env.PREVIOUS) | .index')
    pactl --format=json list sink-inputs </dev/null 2>/dev/null |
        INDEX=$index jq '.[] | select(.sink | tostring == env.INDEX) | .index' |
    while read -r stream; do
        pactl -- move-sink-input "$stream" "$selected" </dev/null >/dev/null 2>&1
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
