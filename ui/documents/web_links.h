#pragma once

// The viewer's web links. RIR (SA) and Tarvix name this program's partners; no address of
// theirs is known for certain, so they point into the reserved example.org domain rather than
// risk sending people to an unrelated or squatted site. Replace the hosts here, and only here,
// once the partners confirm theirs.

#include <QString>

namespace orvane::ui::web {

inline const QString kScheme = QStringLiteral("http://");

inline const QString kBureauOfMeteorologyHost = QStringLiteral("www.bom.gov.au");
inline const QString kBureauOfMeteorologyPath = QStringLiteral("/products/IDS65004.shtml");

inline const QString kRirSaHost = QStringLiteral("rir-sa.example.org");
inline const QString kRirSaPath = QStringLiteral("/");

inline const QString kTarvixHost = QStringLiteral("tarvix.example.org");

} // namespace orvane::ui::web
