#include "app/start_language.h"

#include <QDir>

namespace {

const QString kOption = QStringLiteral("--language");

// Eng_Flg for a language name; nothing for an unknown one.
std::optional<int> engFlgOf(const QString& name)
{
    const QString language = name.trimmed().toLower();
    if (language == QLatin1String("en"))
        return 1;
    if (language == QLatin1String("ja"))
        return 0;
    return std::nullopt;
}

} // namespace

StartArguments StartArguments::parse(const QStringList& args)
{
    StartArguments parsed;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            parsed.help = true;
        } else if (arg.startsWith(kOption + QLatin1Char('='))) {
            parsed.language = arg.mid(kOption.size() + 1);
        } else if (arg == kOption) {
            if (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1Char('-'))) {
                parsed.problem = QStringLiteral("--language needs a value: en or ja");
                return parsed;
            }
            parsed.language = args[++i];
        }
    }
    if (parsed.language && !engFlgOf(*parsed.language))
        parsed.problem = QStringLiteral("unknown language \"%1\" for --language: use en "
                                        "(English) or ja (Japanese)")
                             .arg(*parsed.language);
    return parsed;
}

QString startUsage()
{
    return QStringLiteral("usage: quarvenix [--language en|ja]\n"
                          "  --language en  English windows and the database QuarvenixDBE.db\n"
                          "  --language ja  Japanese windows and the database QuarvenixDB.db\n"
                          "Without the option, language= of the [ui] section of quarvenix.ini "
                          "chooses, else the build's language.\n");
}

std::optional<Switches> startSwitches(const Switches& build, const StartArguments& args,
                                      const SettingsFiles& settings, QString* problem)
{
    Switches sw = build;
    if (args.language) {
        sw.Eng_Flg = engFlgOf(*args.language).value_or(sw.Eng_Flg);
        return sw;
    }
    const QString section = QStringLiteral("ui");
    const QString file = settings.withSection(section);
    const std::optional<QString> setting =
        ini_file::value(file, section, QStringLiteral("language"));
    if (!setting)
        return sw;
    if (const std::optional<int> flag = engFlgOf(*setting)) {
        sw.Eng_Flg = *flag;
        return sw;
    }
    *problem = QStringLiteral("%1: unknown language \"%2\" in [ui] language=: use en (English) "
                              "or ja (Japanese)")
                   .arg(QDir::toNativeSeparators(file), *setting);
    return std::nullopt;
}
