#include "app/SettingsReplacement.h"

#include <memory>

#include <QString>
#include <QStringDecoder>

#include "errors/IError.h"
#include "lang/Translation.h"

std::string runSettingsReplacement(const std::function<STransferOutcome(std::string*)>& replace)
{
    std::string backup;
    STransferOutcome r;
    try {
        r = replace(&backup);
    } catch (IError* e) {
        std::unique_ptr<IError> owned(e);
        std::string why = owned->description();
        while (!why.empty() && why.back() == '.')
            why.pop_back(); // it stands in parentheses
        // The backup is kept just before the first write: without it the
        // link went while the controller was still only being read.
        if (backup.empty())
            return translateFill("Połączenie ze sterownikiem przerwano, zanim wpisano ustawienia "
                                 "(%1); nic nie zostało zmienione.",
                                 {why});
        return translateFill("Połączenie ze sterownikiem przerwano w trakcie wpisywania ustawień "
                             "(%1). Sterownik mógł przyjąć tylko część nowych ustawień. Poprzednie "
                             "zachowano w %2; gdy sterownik znów odpowie, przywróć je w oknie "
                             "„Historia ustawień...”.",
                             {why, backup});
    }
    if (r.ok())
        return {};
    if (!backup.empty() &&
        (r.result == ETransferResult::WriteFailed || r.result == ETransferResult::ResetFailed))
        return r.message + " " +
               translateFill("Poprzednie ustawienia zachowano w %1; przywrócisz je w oknie "
                             "„Historia ustawień...”.",
                             {backup});
    return r.message;
}

std::string foreignTexts(const CSettings& s)
{
    struct SText {
        const char* label;
        const std::string& text;
    };
    const SText texts[] = {{"Nazwa zakładu montującego", s.m_devInfo.m_mountService},
                           {"Rozmiar wtryskiwaczy LPG [mm]", s.m_devInfo.m_injSize},
                           {"Pojemność silnika [cm3]", s.m_devInfo.m_engine}};
    std::string list;
    for (const SText& t : texts) {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString shown = utf8.decode(QByteArrayView(t.text.data(), qsizetype(t.text.size())));
        if (!utf8.hasError())
            continue;
        if (!list.empty())
            list += "; ";
        list += translateFill("%1 „%2”", {translate(t.label), shown.toStdString()});
    }
    return list;
}
