// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/interfaces/COneToTenVInterfacePara.h"

#include "base/CSensor.h"
#include "lang/CLanguage.h"

QString COneToTenVInterfacePara::SourceText(uint8_t source, const std::array<CSensor, 8>& sensors) {
    const int code = Code(source);
    const QString number = QString::number(Index(source) + 1);
    if (code == Single) return Tr(368);
    if (!HasIndex(source)) return {};
    switch (code) {
    case Illumination: return Tr(258) + QLatin1Char(' ') + number;
    case Pump: return Tr(366) + QLatin1Char(' ') + number;
    case VariableIllumination: return Tr(462) + QLatin1Char(' ') + number;
    case SensorInput: {
        const CSensor& input = sensors[static_cast<size_t>(Index(source))];
        // An input without a sensor has no title: it is named by its number.
        const QString title = input.type != 0 && !input.title.isEmpty()
                                  ? input.title
                                  : Tr(36210) + QLatin1Char(' ') + number;
        return title + QLatin1Char(' ') + Tr(254);
    }
    default: return {};
    }
}
