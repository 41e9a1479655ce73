#!/usr/bin/env bash
# Runs the internet suite's Mac tests on a host that looks like a Mac to the program: the tests
# name the folder of the fake Mac tools of fake-mac/ (HV_FAKE_MAC_TOOLS) to the program, and the
# tools record their calls in the log that HV_FAKE_MAC_LOG names. The same folder also comes
# first on the host PATH that Wine hands to host scripts, as a folder of the user's could: the
# tests check that the program never takes the tools from there.
# Usage: on_mac.sh BUILD_DIR TEST_EXE
set -euo pipefail
build="$(cd "$1" && pwd)"
run="$build/tmp/fake-mac-internet"
rm -rf "$run" && mkdir -p "$run"
export HV_FAKE_MAC_LOG="$run/calls.log"
export HV_FAKE_MAC_TOOLS="$(cd "$(dirname "$0")/fake-mac" && pwd)"
export PATH="$HV_FAKE_MAC_TOOLS:$PATH"
exec bash "$(dirname "$0")/../../scripts/wine-run.sh" "$build" "$2" --gtest_brief=1 --gtest_filter='MacProxy.*'
