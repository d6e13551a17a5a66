#!/usr/bin/env bash
# Installs the real templates and framework pages that template_sequence and
# run.sh are run over, from the npm registry, into data/<name> (kept out of
# git). Each line below names the folder, the package and the pages kept; the
# other pages of a large package are left out so that every page kept can be
# run with several seeds. The templates' own files are otherwise untouched.
#   bench/templates/fetch.sh            installs what is missing
#   bench/templates/fetch.sh --list     prints "name page" for every page kept
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
data=$here/data

# name | package@version | pages kept (relative to the package's root)
templates=(
    "material-dashboard|material-dashboard@3.1.0|pages/dashboard.html pages/tables.html pages/profile.html pages/sign-in.html pages/notifications.html"
    "sb-admin-2|startbootstrap-sb-admin-2@4.1.4|index.html cards.html buttons.html tables.html login.html"
    "sb-admin|startbootstrap-sb-admin@7.0.7|dist/index.html dist/tables.html dist/layout-static.html dist/login.html"
    "admin-lte|admin-lte@3.2.0|index.html pages/widgets.html pages/forms/general.html pages/tables/simple.html pages/layout/top-nav.html"
    "landing-page|startbootstrap-landing-page@6.0.6|dist/index.html"
    "agency|startbootstrap-agency@7.0.12|dist/index.html"
    "grayscale|startbootstrap-grayscale@7.0.6|dist/index.html"
    "new-age|startbootstrap-new-age@6.0.7|dist/index.html"
    "resume|startbootstrap-resume@7.0.6|dist/index.html"
    "clean-blog|startbootstrap-clean-blog@6.0.9|dist/index.html dist/about.html dist/post.html dist/contact.html"
    "reveal|reveal.js@6.0.2|index.html demo.html"
    "impress|impress.js@1.1.0|index.html"
    "uikit-tests|uikit@3.25.29|tests/index.html tests/base.html tests/card.html tests/form.html tests/navbar.html tests/slider.html tests/grid.html"
)

if [ "${1:-}" = --list ]; then
    for line in "${templates[@]}"; do
        IFS='|' read -r name _ pages <<<"$line"
        for page in $pages; do echo "$name $page"; done
    done
    exit 0
fi

command -v npm >/dev/null || { echo "fetch.sh: npm is needed (Debian's nodejs and npm)" >&2; exit 1; }
mkdir -p "$data"
for line in "${templates[@]}"; do
    IFS='|' read -r name package pages <<<"$line"
    target=$data/$name
    if [ -f "$target/.installed" ]; then
        echo "already installed: $name ($package)"
        continue
    fi
    scratch=$(mktemp -d)
    (cd "$scratch" && npm pack --silent "$package" >/dev/null && tar xzf ./*.tgz)
    # Pages not kept go; everything they and the kept pages use stays.
    keep=$(mktemp)
    for page in $pages; do echo "./$page"; done >"$keep"
    (cd "$scratch/package" && find . -name '*.html' -not -path './node_modules/*' | { grep -vxFf "$keep" || true; } | xargs -r rm -f)
    for page in $pages; do
        [ -f "$scratch/package/$page" ] || { echo "fetch.sh: $package has no $page" >&2; exit 1; }
    done
    rm -f "$keep"
    case $name in
    uikit-tests)
        # The test pages load their sheet and scripts through a script the
        # package ships only as source to be bundled: a stand-in that writes
        # the same elements.
        cat >"$scratch/package/tests/js/test.js" <<'JS'
document.writeln('<link rel="stylesheet" href="../dist/css/uikit.css">');
document.writeln('<script src="../dist/js/uikit.js"></script>');
document.writeln('<script src="../dist/js/uikit-icons.js"></script>');
JS
        ;;
    esac
    rm -rf "$target"
    mv "$scratch/package" "$target"
    rm -rf "$scratch"
    echo "$package" >"$target/.installed"
    echo "installed: $name ($package)"
done
