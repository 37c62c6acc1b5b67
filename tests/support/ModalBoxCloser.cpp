#include "ModalBoxCloser.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>

ModalBoxCloser::ModalBoxCloser(QObject *parent)
    : QObject(parent)
{
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, &ModalBoxCloser::closeActiveModal);
    timer.start();
}

bool ModalBoxCloser::waitForBoxes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return seen.size() >= count; }, timeoutMs);
}

void ModalBoxCloser::closeActiveModal()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        seen.append({box->windowTitle(), box->text()});
        box->accept();
        return;
    }
    // Only message boxes are closed; other modal dialogs belong to the test.
}
