#!/usr/bin/env bash
# Runs the internet suite's Mac tests on a host that looks like a Mac to the program: the fake
# Mac tools of fake-mac/ come first on the host PATH that Wine hands to host scripts, and they
# record their calls in the log that HV_FAKE_MAC_LOG names.
# Usage: on_mac.sh BUILD_DIR TEST_EXE
set -euo pipefail
build="$(cd "$1" && pwd)"
run="$build/tmp/fake-mac-internet"
rm -rf "$run" && mkdir -p "$run"
export HV_FAKE_MAC_LOG="$run/calls.log"
export PATH="$(cd "$(dirname "$0")/fake-mac" && pwd):$PATH"
exec bash "$(dirname "$0")/../../scripts/wine-run.sh" "$build" "$2" --gtest_brief=1 --gtest_filter='MacProxy.*'
