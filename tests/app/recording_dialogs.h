#pragma once

#include "app/widgets/user_dialogs.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>

namespace hz::test {

// UserDialogs that never block: messages and errors are written down with the window they were shown over and the
// title they had, the file choosers answer with chosenFile and fileToSave (empty: cancelled), the browser accepts
// every address, a question is written down and answered with answer, and a modal dialog is handed to onModal while it
// is "shown" (it is gone once the call returns).
class RecordingDialogs final : public UserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override {
        messages << text;
        messageParents << parent;
        messageTitles << Caption();
    }
    void ShowError(QWidget*, const QString& text) override {
        errors << text;
        messageTitles << Caption();
    }
    QString ChooseFileToOpen(QWidget*, const QString& title, const QString& filter, const QString& startPath) override {
        chooserCalls << title + u'|' + filter + u'|' + startPath;
        return chosenFile;
    }
    QString ChooseFileToSave(QWidget*, const QString& title, const QString& filter, const QString& startPath) override {
        saveChooserCalls << title + u'|' + filter + u'|' + startPath;
        return fileToSave;
    }
    bool Ask(QWidget*, const QString& question) override {
        questions << question;
        if (onAsk) {
            onAsk();
        }
        return answer;
    }
    void ShowModal(QDialog& dialog) override {
        modalTitles << dialog.windowTitle();
        if (onModal) {
            onModal(dialog);
        }
    }
    bool OpenUrl(const QUrl& url) override {
        openedUrls << url;
        return true;
    }

    QStringList messages;
    QList<QPointer<QWidget>> messageParents;
    QStringList messageTitles; // of the messages and the errors, in the order shown
    QStringList errors;
    QStringList chooserCalls;
    QString chosenFile;
    QStringList saveChooserCalls;
    QString fileToSave;
    QStringList modalTitles;
    std::function<void(QDialog&)> onModal;
    QStringList questions;
    bool answer = false;         // to every question
    std::function<void()> onAsk; // while a question is open
    QList<QUrl> openedUrls;
};

} // namespace hz::test
