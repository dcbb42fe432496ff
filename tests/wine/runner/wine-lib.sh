# The Wine test runner's helpers, sourced by wine-test.sh: the Wine plumbing
# (prefix, Xvfb, versions, registry, processes, screenshots, the robot) and
# the kit's own steps on it (drives, image, programs, pages, update).

# shellcheck source=SCRIPTDIR/wine-plumbing.sh
source "${BASH_SOURCE[0]%/*}/wine-plumbing.sh"
# shellcheck source=SCRIPTDIR/kit-steps.sh
source "${BASH_SOURCE[0]%/*}/kit-steps.sh"
