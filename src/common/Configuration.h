#pragma once

#include <QString>

// Every value of Trovix that is configuration rather than behaviour. Addresses have
// build-time defaults and may be overridden by the environment variable named beside
// each one.
namespace trovix::config {

// The build's whole project version ("1.2", "1.2.1"): recorded in config.ini, shown in
// the caption and written beside the build as trovix-version for the publishing script.
QString versionText();

QString aggregatorScheme();    // TROVIX_AGGREGATOR_SCHEME: "http", or "https" for a real site
QString aggregatorHostA();     // TROVIX_AGGREGATOR_HOST_A
QString aggregatorHostB();     // TROVIX_AGGREGATOR_HOST_B
QString homePage();            // TROVIX_HOME_PAGE
QString homeHost();            // the host of homePage(), shown in the exit question
QString updateVersionUrl();    // TROVIX_UPDATE_VERSION_URL
QString updateExecutableUrl(); // TROVIX_UPDATE_EXECUTABLE_URL
QString updateSignatureUrl();  // TROVIX_UPDATE_SIGNATURE_URL, else the executable's + ".minisig"
// The base64 line of the minisign public key whose signatures the updater accepts;
// empty when the build carries none.
QString updatePublicKey(); // TROVIX_UPDATE_PUBLIC_KEY

QString authorName();
QString authorContact();

} // namespace trovix::config
