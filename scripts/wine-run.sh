#!/usr/bin/env bash
# Runs one Windows program under Wine, keeping the output free of Wine's
# harmless start-up chatter.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec 3>&2
wine "$@" 2> >(grep -v -E 'Read access denied for device|syswow64\\rundll32|^wine: (created|configuration)|fixme:|err:ole:|err:winediag' >&3)
