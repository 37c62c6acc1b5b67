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

namespace {

double largestY(const QSplineSeries *series)
{
    double largest = 0;
    for (const QPointF &point : series->pointsVector())
        largest = std::max(largest, point.y());
    return largest;
}

} // namespace

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
    // Five "hh:mm" labels do not fit under a 300 pixel chart.
    timeAxis->setTickCount(3);
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
    // The maxima before this sample decide the vertical range; the new point
    // counts from the next call on.
    const double maxSent = chartMaxSent;
    const double maxReceived = chartMaxReceived;

    const qint64 x = MainWindowRules::wholeSecondMs(timestamp);
    const double dSent = MainWindowRules::mebibits(bytesSent) - chartSumSent;
    const double dReceived = MainWindowRules::mebibits(bytesReceived) - chartSumReceived;

    const int count = sentSeries->count();
    QPointF sentPoint(double(x), dSent);
    QPointF receivedPoint(double(x), dReceived);
    if (count == 0 || qint64(sentSeries->at(count - 1).x()) != x) {
        sentSeries->append(sentPoint);
        receivedSeries->append(receivedPoint);
    } else {
        const double oldSent = sentSeries->at(count - 1).y();
        const double oldReceived = receivedSeries->at(count - 1).y();
        sentPoint.ry() += oldSent;
        receivedPoint.ry() += oldReceived;
        sentSeries->replace(count - 1, sentPoint);
        receivedSeries->replace(count - 1, receivedPoint);
        // A merged point that shrank may have been the largest one.
        if (sentPoint.y() < oldSent && oldSent >= chartMaxSent)
            chartMaxSent = largestY(sentSeries);
        if (receivedPoint.y() < oldReceived && oldReceived >= chartMaxReceived)
            chartMaxReceived = largestY(receivedSeries);
    }
    chartSumSent += dSent;
    chartSumReceived += dReceived;
    chartMaxSent = std::max(chartMaxSent, sentPoint.y());
    chartMaxReceived = std::max(chartMaxReceived, receivedPoint.y());

    // Every range change redraws the whole series, so only real changes go in.
    const qint64 firstMs = qint64(sentSeries->at(0).x());
    const QDateTime axisMin = QDateTime::fromMSecsSinceEpoch(firstMs);
    const QDateTime axisMax = QDateTime::fromMSecsSinceEpoch(MainWindowRules::timeAxisMaxMs(firstMs, x));
    if (timeAxis->min() != axisMin || timeAxis->max() != axisMax)
        timeAxis->setRange(axisMin, axisMax);
    const double valueMax = std::max({10.0, maxSent, maxReceived});
    if (valueAxis->min() != 0.0 || valueAxis->max() != valueMax)
        valueAxis->setRange(0, valueMax);

    ui->labelReceived->setText(tr("Received: %1 MB").arg(MainWindowRules::wholeMebibytes(bytesReceived)));
    ui->labelSent->setText(tr("Sent: %1 MB").arg(MainWindowRules::wholeMebibytes(bytesSent)));
}
