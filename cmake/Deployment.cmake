# Deployment constants. The defaults are harmless test values; a release build sets the real
# ones on its command line or in a cache file kept outside the repository.
set(ZORVAK_S3_ACCESS_KEY "ZORVAKTESTKEY" CACHE STRING "Access key id of the distribution store")
set(ZORVAK_S3_SECRET_KEY "zorvak-test-secret" CACHE STRING "Secret key of the distribution store")
set(ZORVAK_S3_BUCKET "zorvak-dist" CACHE STRING "Bucket that holds ZorvakService.exe")
set(ZORVAK_S3_ENDPOINT "127.0.0.1:4569" CACHE STRING "Store endpoint, host[:port]")
set(ZORVAK_DEFAULT_SERVER_URL "http://127.0.0.1:8088/zorvak/" CACHE STRING "Wizard's default CONFIG/PathNuvem")
set(ZORVAK_PROBE_URL "http://127.0.0.1:8088/probe" CACHE STRING "Page fetched to tell whether the Internet is reachable")

configure_file(${CMAKE_CURRENT_LIST_DIR}/deployment.h.in ${CMAKE_BINARY_DIR}/generated/deployment.h @ONLY)
