// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "Presentation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTextBoundaryFinder>
#include <QTranslator>

#include <cmath>

#include "Int64.h"

using namespace Qt::StringLiterals;

// Ours, and Qt's own for the texts Qt shows (the command line's help, the standard dialogs).
void Presentation::useThePlayersLanguage()
{
    const std::pair<QString, QString> catalogues[] = {
        {QStringLiteral("corvane-bridge"), QStringLiteral(":/i18n")},
        {QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)}};
    for (const auto &[name, folder] : catalogues) {
        auto *translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QLocale(), name, QStringLiteral("_"), folder))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
}

QString Presentation::statusLine(const Status &status, const QLocale &locale)
{
    if (!status.codeValid)
        return codeNeeded();
    if (!status.bridgeEnabled)
        return tr("Off");
    switch (status.serverState) {
    case AppModel::ServerState::idle:
        return status.gameRunning ? tr("Waiting for game data") : tr("Waiting for game");
    case AppModel::ServerState::connected:
        return status.lastSync ? tr("Live, last sync %1").arg(time(*status.lastSync, locale)) : tr("Live");
    case AppModel::ServerState::unreachable: // the model says why
    case AppModel::ServerState::rejected:
        return shortened(status.statusMessage.value_or(tr("Rejected")));
    }
    Q_UNREACHABLE();
}

QString Presentation::statusDetail(const Status &status)
{
    return statusTone(status) == Tone::Bad ? shortened(status.failureReason.value_or(QString())) : QString();
}

namespace {

bool logMissing(const Presentation::Status &status)
{
    return status.gameRunning && status.bridgeEnabled && status.codeValid && !status.followingLog;
}

} // namespace

QString Presentation::syncUnavailable() const
{
    return canSync() ? QString() : codeNeeded();
}

QString Presentation::gameState(const Status &status)
{
    if (logMissing(status))
        return tr("Running, but its log was not found");
    return status.gameRunning ? tr("Running") : tr("Not running");
}

Presentation::Tone Presentation::gameStateTone(const Status &status)
{
    return logMissing(status) ? Tone::Bad : Tone::Neutral;
}

QString Presentation::gameStateDetail() const
{
    if (!m_model || !logMissing(status()))
        return {};
    // A tooltip, not a report: thousands of libraries would make it taller than any screen.
    constexpr qsizetype shown = 20;
    const QStringList searched = m_model->searchedFolders();
    QString detail = tr("Looked for the game's log in:") + u'\n' +
                     searched.first(std::min(shown, searched.size())).join(u'\n');
    if (searched.size() > shown)
        detail += u'\n' + tr("and %n more", nullptr, int(searched.size() - shown));
    return detail;
}

QString Presentation::report(bool headless) const
{
    if (!m_model)
        return {};
    QStringList lines{statusLine(), tr("Game: %1").arg(gameState())};
    if (const std::optional<QString> log = m_model->followedLog())
        lines << tr("Log: %1").arg(*log);
    else if (!m_model->searchedFolders().isEmpty())
        lines << tr("Looked for the game's log in:") + u' ' + m_model->searchedFolders().join(u", "_s);
    const std::optional<QDateTime> lastSync = m_model->lastSync();
    lines << (lastSync ? tr("Last sync: %1").arg(time(*lastSync)) : tr("Last sync: never"));
    if (const QString why = statusDetail(); !why.isEmpty())
        lines << tr("Why: %1").arg(why);
    lines << (headless ? tr("Runs headless, with no window") : tr("Runs with a window"));
    return lines.join(u'\n') + u'\n';
}

QString Presentation::shortened(const QString &text)
{
    constexpr qsizetype maxLength = 200;
    if (text.size() <= maxLength)
        return text;
    qsizetype cut = maxLength - 1;
    if (text.at(cut - 1).isHighSurrogate()) // never half a character
        --cut;
    return text.left(cut) + u'\u2026';
}

Presentation::Tone Presentation::statusTone(const Status &status)
{
    if (!status.bridgeEnabled || !status.codeValid)
        return Tone::Inactive;
    switch (status.serverState) {
    case AppModel::ServerState::idle:
        return Tone::Neutral;
    case AppModel::ServerState::connected:
        return Tone::Good;
    case AppModel::ServerState::unreachable:
    case AppModel::ServerState::rejected:
        return Tone::Bad;
    }
    Q_UNREACHABLE();
}

QString Presentation::currency(std::optional<double> amount, const QLocale &locale)
{
    // A balance that is not a number has nothing to show.
    if (!amount || !std::isfinite(*amount))
        return u"-"_s;
    // Qt rounds half away from zero; nearbyint rounds half to even, as a number formatter does.
    return u"$"_s + locale.toString(std::nearbyint(*amount), 'f', 0);
}

QString Presentation::percentage(std::optional<double> share)
{
    const std::optional<qint64> whole = share ? exactInt64(std::trunc(*share)) : std::nullopt;
    return whole ? QString::number(*whole) + u'%' : u"-"_s;
}

QString Presentation::count(std::optional<qint64> value)
{
    return value ? QString::number(*value) : u"-"_s;
}

QString Presentation::time(const QDateTime &moment, const QLocale &locale)
{
    // Qt has no medium style; it is the long one without the time zone ("h:mm:ss AP t").
    QString format;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        quoted ^= c == u'\'';
        if (quoted || c != u't')
            format += c;
    }
    return locale.toString(moment.toLocalTime().time(), format.simplified());
}

QString Presentation::linkCodeFrom(const QString &typed)
{
    const QString upper = typed.toUpper();
    QString code;
    int kept = 0;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, upper);
    qsizetype start = 0;
    for (qsizetype end = graphemes.toNextBoundary(); end > 0 && kept < AppModel::longestLinkCode;
         end = graphemes.toNextBoundary()) {
        // A cluster is a letter or number by its base character; marks on it come along.
        const QStringView cluster = QStringView(upper).sliced(start, end - start);
        if (QChar::isLetterOrNumber(cluster.toUcs4().first())) {
            code += cluster;
            ++kept;
        }
        start = end;
    }
    return code;
}

void Presentation::setModel(AppModel *model)
{
    if (m_model == model)
        return;
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (m_model) {
        for (auto signal :
             {&AppModel::linkCodeChanged, &AppModel::bridgeEnabledChanged, &AppModel::gameRunningChanged,
              &AppModel::serverStateChanged, &AppModel::lastSyncChanged, &AppModel::statusMessageChanged,
              &AppModel::failureReasonChanged, &AppModel::followedLogChanged})
            connect(m_model, signal, this, &Presentation::statusChanged);
        connect(m_model, &AppModel::metricsChanged, this, &Presentation::figuresChanged);
    }
    emit modelChanged();
    emit statusChanged();
    emit figuresChanged();
}

Presentation::Status Presentation::status() const
{
    if (!m_model)
        return {};
    return {m_model->codeValid(),
            m_model->bridgeEnabled(),
            m_model->gameRunning(),
            m_model->serverState(),
            m_model->lastSync(),
            m_model->statusMessage(),
            m_model->followedLog().has_value(),
            m_model->failureReason()};
}
