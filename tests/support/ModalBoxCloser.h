#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

// Closes modal message boxes (and other modal dialogs) as soon as they show,
// recording what they said, so code that calls exec() can be tested.
class ModalBoxCloser : public QObject
{
    Q_OBJECT

public:
    struct Box
    {
        QString title;
        QString text;
    };

    explicit ModalBoxCloser(QObject *parent = nullptr);

    // Seen and closed boxes, oldest first.
    QList<Box> boxes() const { return seen; }
    void clear() { seen.clear(); }

    // Waits until at least count boxes were closed; false on time-out.
    bool waitForBoxes(int count, int timeoutMs = 10000);

private:
    void closeActiveModal();

    QTimer timer;
    QList<Box> seen;
};
