#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace trovix {

// The aggregator's host is written in two forms that name the same site.
enum class HostForm { A, B };

// What a courier's tracking page asks for besides the waybill number.
enum class InputMode { NoInput, TelephoneNumber };

// One courier of the fixed catalogue: the one home of every fact about a courier.
struct Courier {
    int row;             // 1..15
    QString optionName;  // "Option1".."Option15"
    QString displayName; // the option's caption; also what Label6 shows and the database stores
    QString pagePath;    // path of the tracking page on the aggregator
    HostForm hostForm;
    InputMode inputMode;
    QString siteHost; // the courier's own web site
    QString sitePath; // path on the courier's own host; empty: the bare host
};

// Rows 1 to 15 in order.
const QList<Courier>& couriers();

// Start-up clears the options of rows 1 to this one (Option1 to Option11); the later rows
// keep their state.
constexpr int RowsClearedAtStartUp = 11;

// nullptr outside 1..15.
const Courier* courierByRow(int row);

// Exact whole-string match, searched in row order; nullptr when no row matches.
const Courier* courierByDisplayName(const QString& name);

// The aggregator's scheme ("http" by default) + "://" + the host in the row's form +
// the page path.
QString trackingAddress(const Courier& courier);

// Both forms of the aggregator's host: besides a page's own site, the only ones whose
// frames it may load.
QStringList aggregatorHosts();

// The tracking page of the one row in telephone-number mode (row 14, host form B).
QString telephonePageAddress();

// The ids the aggregator gives its tracking form's elements, the same on every page.
QString waybillFieldId(); // "postid"
QString submitButtonId(); // "lika"
// The code field: "valicode", or "valicodetel" where the page asks for a telephone number.
QString codeFieldId(InputMode mode);
// The code field of the page loaded from this address: the telephone page, recognised
// by its exact address, has the telephone field; every other page the plain one.
QString codeFieldIdOfPage(const QString& address);

// "http://" + the courier's own host + its site path.
QString siteAddress(const Courier& courier);

} // namespace trovix
