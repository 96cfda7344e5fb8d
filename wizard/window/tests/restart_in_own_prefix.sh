#!/usr/bin/env bash
# restart_in_own_prefix.sh BUILD_DIR TEST_PROGRAM: the steps of restart_test.cpp in a
# fresh prefix of their own, restarted between them. Restart Now ends every process
# of its prefix, and the moves at the next start would reach other tests' files.
set -uo pipefail
build=$1 program=$2 env=$(dirname "$0")/../../../scripts/wine-env
export WINE_ENV_PREFIX=restart-prefix
rm -rf "${build:?}/$WINE_ENV_PREFIX" "$build/$WINE_ENV_PREFIX-home"
trap '"$env" "$build" --stop' EXIT
step() { "$env" "$build" "$program" --gtest_filter="RestartInOwnPrefix.$1"; }
restart() { "$env" "$build" --stop && "$env" "$build" wineboot -r >/dev/null 2>&1; }

step LaterSchedulesTheMoveAndTheWizardForTheNextLogon && restart &&
  step AfterTheRestartTheStartOnceCommandErasesTheMovedFile || exit 1
# Ended by the restart it asks for: the next step judges what it left.
step NowHandsTheFileToTheNextLogonAndRestarts
restart && step AfterRestartNowTheStartOnceCommandIsQuotedWithTheList
