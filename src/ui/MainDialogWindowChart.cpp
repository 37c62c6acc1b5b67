// Connection details: session clock, totals and the traffic chart.
#include "MainDialogWindow.h"
#include "MainWindowRules.h"
#include "ui_MainDialogWindow.h"

#include <QTimer>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QSplineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>

using namespace QtCharts;

void MainDialogWindow::initChart()
{
    sentSeries->setColor(QColor(241, 75, 0, 255));
    receivedSeries->setColor(QColor(80, 144, 5, 255));

    chart->legend()->hide();
    chart->setTitle(tr("Connection Details"));
    chart->addSeries(sentSeries);
    chart->addSeries(receivedSeries);

    timeAxis = new QDateTimeAxis();
    timeAxis->setFormat(QStringLiteral("hh:mm"));
    chart->addAxis(timeAxis, Qt::AlignBottom);
    sentSeries->attachAxis(timeAxis);
    receivedSeries->attachAxis(timeAxis);

    valueAxis = new QValueAxis();
    valueAxis->setLabelFormat(QStringLiteral("%.1f"));
    valueAxis->setTitleText(tr("Mbps"));
    chart->addAxis(valueAxis, Qt::AlignLeft);
    sentSeries->attachAxis(valueAxis);
    receivedSeries->attachAxis(valueAxis);

    ui->graphicsViewChart->setChart(chart);
    ui->graphicsViewChart->setRenderHint(QPainter::Antialiasing);
}

void MainDialogWindow::connected()
{
    sessionTimerRunning = true;
    sessionStart = QDateTime::currentDateTime();
    sessionTimer->start(500);
    ui->labelHostNameCountry->setText(currentServer.name + QLatin1Char('/') + currentServer.hostname);
    ui->stackedWidgetConnectProccess->setCurrentIndex(2);
    ui->stackedWidgetConnectedState->setCurrentIndex(1);
}

void MainDialogWindow::disconnected()
{
    clearChart();
    ui->stackedWidgetConnectProccess->setCurrentIndex(0);
    ui->stackedWidgetConnectedState->setCurrentIndex(0);
    if (sessionTimerRunning)
        sessionTimer->stop();
    sessionTimerRunning = false;
}

void MainDialogWindow::clearChart()
{
    sentSeries->clear();
    receivedSeries->clear();
    chartSumSent = 0;
    chartSumReceived = 0;
    chartMaxSent = 0;
    chartMaxReceived = 0;
}

void MainDialogWindow::updateSessionTime()
{
    const qint64 seconds = sessionStart.secsTo(QDateTime::currentDateTime());
    ui->labelSessionTime->setText(MainWindowRules::sessionTimeText(seconds));
}

void MainDialogWindow::newStats(QDateTime timestamp, quint64 bytesSent, quint64 bytesReceived)
{
    double sumSent = 0;
    double sumReceived = 0;
    double maxSent = 0;
    double maxReceived = 0;
    const QVector<QPointF> sentPoints = sentSeries->pointsVector();
    const QVector<QPointF> receivedPoints = receivedSeries->pointsVector();
    for (const QPointF &point : sentPoints) {
        sumSent += point.y();
        maxSent = std::max(maxSent, point.y());
    }
    for (const QPointF &point : receivedPoints) {
        sumReceived += point.y();
        maxReceived = std::max(maxReceived, point.y());
    }

    const qint64 x = MainWindowRules::wholeSecondMs(timestamp);
    const double dSent = MainWindowRules::mebibits(bytesSent) - sumSent;
    const double dReceived = MainWindowRules::mebibits(bytesReceived) - sumReceived;

    const int count = sentPoints.size();
    if (count == 0 || qint64(sentPoints.last().x()) != x) {
        sentSeries->append(double(x), dSent);
        receivedSeries->append(double(x), dReceived);
    } else {
        sentSeries->replace(count - 1, double(x), sentPoints.last().y() + dSent);
        receivedSeries->replace(count - 1, double(x), receivedPoints.last().y() + dReceived);
    }

    const qint64 firstMs = qint64(sentSeries->at(0).x());
    const qint64 lastMs = qint64(sentSeries->at(sentSeries->count() - 1).x());
    timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(firstMs),
                       QDateTime::fromMSecsSinceEpoch(MainWindowRules::timeAxisMaxMs(firstMs, lastMs)));
    valueAxis->setRange(0, std::max({10.0, maxSent, maxReceived}));

    ui->labelReceived->setText(tr("Received: %1 MB").arg(MainWindowRules::wholeMebibytes(bytesReceived)));
    ui->labelSent->setText(tr("Sent: %1 MB").arg(MainWindowRules::wholeMebibytes(bytesSent)));
}
