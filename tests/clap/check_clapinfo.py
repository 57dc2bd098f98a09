#!/usr/bin/env python3
"""Compares what clap-info reads from tapedelay.clap with `tapedelay describe --json`.

  check_clapinfo.py CLAP_FILE TAPEDELAY CLAP_INFO [--runner PREFIX...]

CLAP_FILE is the .clap as clap-info is to open it (an absolute path; under
Wine Z: and the path), TAPEDELAY the tapedelay command, CLAP_INFO clap-info;
both programs run through the runner prefix when one is given (Wine for the
Windows build). For each of the two plug-ins in the file, clap-info creates
an instance and lists its descriptor, parameters, audio ports and state; each
must match the command's description of the same plug-in library. Prints
every difference and exits 1 if there is one.
"""
import argparse
import json
import subprocess
import sys

# The plug-ins in the file, in order; each is named after the plug-in's
# description, the stereo one with a suffix.
PLUGINS = [
    {"id": "orlund.vx9.tapedelay", "suffix": "", "layout": "mono", "channels": 1},
    {"id": "orlund.vx9.tapedelay.stereo", "suffix": " (Stereo)", "layout": "stereo", "channels": 2},
]

# The parameters the CLAP plug-in adds after the plug-in's own: the Tap
# button and the two meters. (code, name, read-only)
ADDED_PARAMETERS = [("tapb", "Tap", False), ("mtri", "Input Peak", True), ("mtro", "Output Peak", True)]


def run_json(command):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=180)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed (exit {result.returncode}):\n"
                 f"{result.stderr.decode(errors='replace')}")
    try:
        return json.loads(result.stdout)
    except json.JSONDecodeError as error:
        sys.exit(f"{' '.join(command)} printed no JSON ({error}):\n"
                 f"{result.stdout.decode(errors='replace')}")


def code(text):
    """A four-character code as its big-endian 32-bit number."""
    return int.from_bytes(text.encode("latin-1"), "big")


def expected_parameters(describe):
    """What clap-info must list, in order: (id, name, min, max, default, flags)."""
    expected = []
    for p in describe["parameters"]:
        if p["kind"] == "list":
            low, high = 0, len(p["options"]) - 1
        else:
            low, high = p["min"], p["max"]
        flags = {"auto"} if p["settable"] else {"readonly"}
        if p["kind"] == "list":
            flags.add("stepped")
        if p["hostBypass"]:
            flags |= {"bypass", "stepped"}
        expected.append((code(p["id"]), p["names"][0], low, high, p["default"], flags))
    for text, name, readonly in ADDED_PARAMETERS:
        expected.append((code(text), name, 0, 1, 0, {"readonly"} if readonly else {"auto", "stepped"}))
    return expected


# The flags the comparison decides; clap-info prints others (modulation,
# automation per note) too.
CHECKED_FLAGS = {"auto", "readonly", "stepped", "bypass"}


def check_parameters(params, describe, fail):
    if not params.get("implemented"):
        fail("no params extension")
        return
    listed = params["param-info"]
    expected = expected_parameters(describe)
    if len(listed) != len(expected):
        fail(f"{len(listed)} parameters, expected {len(expected)}")
    for index, (want, got) in enumerate(zip(expected, listed)):
        ident, name, low, high, default, flags = want
        where = f"parameter {index} ({name})"
        if int(got["id"], 16) != ident:
            fail(f"{where}: id {got['id']}, expected {ident:#x}")
        if got["name"] != name:
            fail(f"{where}: name {got['name']!r}")
        values = got["values"]
        for key, value in (("min", low), ("max", high), ("default", default)):
            if values[key] != value:
                fail(f"{where}: {key} {values[key]!r}, expected {value!r}")
        # A new instance runs with its defaults.
        if values["current"] != default:
            fail(f"{where}: current value {values['current']!r}, expected {default!r}")
        shown = set(got.get("flags", [])) & CHECKED_FLAGS
        if shown != flags:
            fail(f"{where}: flags {sorted(shown)}, expected {sorted(flags)}")


def check_ports(ports, plugin, fail):
    if not ports.get("implemented"):
        fail("no audio-ports extension")
        return
    for direction in ("input", "output"):
        listed = ports[f"{direction}-ports"]
        if ports[f"{direction}-port-count"] != 1 or len(listed) != 1:
            fail(f"{ports[f'{direction}-port-count']} {direction} ports, expected 1")
            continue
        port = listed[0]
        if port["channel-count"] != plugin["channels"]:
            fail(f"{direction} port: {port['channel-count']} channels, expected {plugin['channels']}")
        if port.get("port-type", plugin["layout"]) != plugin["layout"]:
            fail(f"{direction} port: type {port['port-type']!r}, expected {plugin['layout']!r}")
        if "CLAP_AUDIO_PORT_IS_MAIN" not in port["flags"].get("fields", []):
            fail(f"{direction} port is not the main port")


def check_plugin(info, index, describe, fail):
    plugin = PLUGINS[index]
    found = info.get("plugins") or []
    if len(found) != 1 or found[0].get("plugin-index") != index:
        fail("clap-info listed no plug-in at this index")
        return
    found = found[0]
    descriptor = found["descriptor"]
    # The description's first name is the one hosts show.
    name = describe["descriptor"]["pluginName"].split(",")[0].strip() + plugin["suffix"]
    wanted = {"id": plugin["id"], "name": name, "vendor": describe["descriptor"]["developer"]}
    for key, value in wanted.items():
        if descriptor.get(key) != value:
            fail(f"descriptor {key} {descriptor.get(key)!r}, expected {value!r}")
    features = descriptor.get("features", [])
    if sorted(features) != sorted(["audio-effect", "delay", plugin["layout"]]):
        fail(f"features {features}")
    extensions = found["extensions"]
    check_parameters(extensions["clap.params"], describe, fail)
    check_ports(extensions["clap.audio-ports"], plugin, fail)
    state = extensions["clap.state"]
    if not state.get("implemented") or state.get("bytes-written", 0) == 0:
        fail(f"state: {state}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("clap_file")
    parser.add_argument("tapedelay")
    parser.add_argument("clap_info")
    parser.add_argument("--runner", nargs="*", default=[])
    args = parser.parse_args()

    describe = run_json(args.runner + [args.tapedelay, "describe", "--json"])
    differences = []
    for index, plugin in enumerate(PLUGINS):
        info = run_json(args.runner + [args.clap_info, "--which", str(index), "--note-ports", "false",
                                       args.clap_file])
        if info.get("plugin_count") != len(PLUGINS):
            differences.append(f"{info.get('plugin_count')} plug-ins in the file, expected {len(PLUGINS)}")
        check_plugin(info, index, describe, lambda text: differences.append(f"{plugin['id']}: {text}"))
    for text in differences:
        print(text)
    if differences:
        sys.exit(1)
    print(f"clap-info agrees with tapedelay describe: {len(PLUGINS)} plug-ins, "
          f"{len(expected_parameters(describe))} parameters each")


if __name__ == "__main__":
    main()
