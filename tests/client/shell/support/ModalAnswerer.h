#pragma once

#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace fonedesk::test {

// Answers the program's own modal windows while a command runs in a test: each record dialog
// with the next queued answer, and the wait window's finishing mode with OK. Writes down what
// they showed. A record dialog that stays open after OK (its rule refused the texts) is noted
// and cancelled.
class CModalAnswerer : public QObject {
    Q_OBJECT
  public:
    struct RecordAnswer {
        QString phone;
        QString subscriber;
        QString comment;
        bool ok = true;  // false: the close box
    };

    CModalAnswerer();

    void AnswerNextRecordDialog(const RecordAnswer& answer) { m_records.enqueue(answer); }

    QStringList recordTitles;       // the title of each record dialog, in order
    QStringList recordPhones;       // the number each one showed when it opened
    QStringList recordSubscribers;  // and its subscriber and comment
    QStringList recordComments;
    int recordsLeftOpen = 0;     // OK pressed, yet the dialog stayed open
    QStringList finishingTexts;  // the wait window's text in each finishing mode

  private:
    void Look();

    QTimer m_timer;
    QQueue<RecordAnswer> m_records;
    QObject* m_answered = nullptr;  // the record dialog OK was pressed in
};

}  // namespace fonedesk::test
