#pragma once

// Every Trovix build carries its version in its own bytes: this tag, the version text and
// a NUL. The updater and the launcher read it from the file without starting the program,
// so they know the version even where config.ini is missing or damaged.
#define TROVIX_VERSION_MARKER_TAG "\x7FTROVIX-BUILD-VERSION:"
#define TROVIX_VERSION_MARKER(version) TROVIX_VERSION_MARKER_TAG version
