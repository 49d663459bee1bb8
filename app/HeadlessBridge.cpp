// SPDX-FileCopyrightText: 2026 Corvane
//
// SPDX-License-Identifier: MIT

#include "HeadlessBridge.h"

#include "Logging.h"

using namespace std::chrono_literals;

HeadlessBridge::HeadlessBridge(SingleInstance &instance, QObject *parent)
    : QObject(parent), m_instance(instance)
{
    m_instance.answerAs(SingleInstance::Kind::headless, [this] { return m_presentation.report(true); });
    connect(&m_instance, &SingleInstance::takeOverRequested, this, &HeadlessBridge::wait);
    connect(&m_presentation, &Presentation::statusChanged, this, [this] {
        if (m_model)
            tell(m_presentation.statusLine());
    });
    m_retry.setInterval(1s);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_instance.tryLock())
            sync();
    });
}

void HeadlessBridge::sync()
{
    m_retry.stop();
    m_model = std::make_unique<AppModel>();
    m_presentation.setModel(m_model.get());
    m_model->start();
}

void HeadlessBridge::wait()
{
    m_model.reset(); // what it has in flight ends unheard
    m_presentation.setModel(nullptr);
    m_instance.release();
    tell(tr("Waiting: a bridge with a window syncs"));
    m_retry.start();
}

void HeadlessBridge::tell(const QString &line)
{
    if (line == m_told)
        return;
    m_told = line;
    qCInfo(lcStatus).noquote() << line;
}
