# Writes the page's service worker into the web build's folder, named after
# the version and the build: a digest of every file of the page, so that any changed file
# gives a new worker (which the browser then installs, replacing the old
# cache). Run by the build after each link, and by the web test on a copy.
#   cmake -DDIR=build/web -DWORKER=web/service_worker.js -DVERSION=1.2.3 -P cmake/web_cache.cmake
file(GLOB page_files RELATIVE "${DIR}" "${DIR}/*.html" "${DIR}/*.js" "${DIR}/*.css" "${DIR}/*.png"
     "${DIR}/*.wasm" "${DIR}/*.webmanifest")
list(REMOVE_ITEM page_files service_worker.js)
list(SORT page_files)
set(digests "")
foreach(name IN LISTS page_files)
  file(SHA256 "${DIR}/${name}" digest)
  string(APPEND digests "${name} ${digest}\n")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING "${digest}" 0 16 BUILD)
set(FILES "${page_files}")
configure_file("${WORKER}" "${DIR}/service_worker.js" @ONLY)
# What a host serves, for whoever packs the page (scripts/release.sh): the
# page's files, its worker and the headers' file.
list(APPEND page_files _headers service_worker.js)
list(SORT page_files)
list(JOIN page_files "\n" listing)
file(WRITE "${DIR}/page_files.txt" "${listing}\n")
