# Build-time defaults of Trovix's configuration values; each address can also be
# overridden at run time through the environment variable of the same name.
# The defaults point at the sample aggregator and update server on loopback.
set(TROVIX_SAMPLE_PORT 47631 CACHE STRING "Port of the sample aggregator started by scripts/run")
set(TROVIX_AGGREGATOR_SCHEME "http" CACHE STRING "Aggregator's URL scheme, http or https")
set(TROVIX_AGGREGATOR_HOST_A "127.0.0.1:${TROVIX_SAMPLE_PORT}" CACHE STRING "Aggregator host, written form A")
set(TROVIX_AGGREGATOR_HOST_B "localhost:${TROVIX_SAMPLE_PORT}" CACHE STRING "Aggregator host, written form B")
set(TROVIX_HOME_PAGE "http://127.0.0.1:${TROVIX_SAMPLE_PORT}/home/" CACHE STRING "Author's home page")
set(TROVIX_UPDATE_VERSION_URL "http://127.0.0.1:${TROVIX_SAMPLE_PORT}/update.ini" CACHE STRING "Version file on the update server")
set(TROVIX_UPDATE_EXECUTABLE_URL "http://127.0.0.1:${TROVIX_SAMPLE_PORT}/update/Trovix" CACHE STRING "New executable on the update server")
# The base64 line of "minisign -G"'s public key file; empty: update installs nothing.
set(TROVIX_UPDATE_PUBLIC_KEY "" CACHE STRING "minisign public key whose signatures update accepts")
