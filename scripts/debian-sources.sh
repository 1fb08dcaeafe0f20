# Sourced: debian_sources FOLDER PACKAGE... fetches Debian's source packages
# into FOLDER/src. apt keeps its own lists in FOLDER, so the machine's apt
# set-up is left as it is; the checksums come from Debian's signed index.
debian_sources() {
  local top=$1
  shift
  mkdir -p "$top/apt/lists/partial" "$top/apt/archives/partial" "$top/apt/sources" "$top/src"
  cat >"$top/apt/sources/debian-src.sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  local apt=(apt-get -qq -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$top/apt/sources"
             -o "Dir::State::Lists=$top/apt/lists" -o "Dir::Cache=$top/apt" -o APT::Sandbox::User=root)
  "${apt[@]}" update
  (cd "$top/src" && "${apt[@]}" source --download-only "$@")
}
