#pragma once

#include "app/user_dialogs.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

namespace hz::test {

// UserDialogs that never block: messages and errors are written down with the window they were shown over, the
// file chooser answers with chosenFile (empty: cancelled), the browser accepts every address.
class RecordingDialogs final : public UserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override {
        messages << text;
        messageParents << parent;
    }
    void ShowError(QWidget*, const QString& text) override { errors << text; }
    QString ChooseFileToOpen(QWidget*, const QString& title, const QString& filter, const QString& startPath) override {
        chooserCalls << title + u'|' + filter + u'|' + startPath;
        return chosenFile;
    }
    bool OpenUrl(const QUrl& url) override {
        openedUrls << url;
        return true;
    }

    QStringList messages;
    QList<QPointer<QWidget>> messageParents;
    QStringList errors;
    QStringList chooserCalls;
    QString chosenFile;
    QList<QUrl> openedUrls;
};

} // namespace hz::test
