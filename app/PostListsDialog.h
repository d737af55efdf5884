#pragma once

#include "ResultLists.h"

#include <QDialog>

#include <functional>

class EventBook;
class QCheckBox;
class QLabel;
class QRadioButton;

// "Listen": the lists to post (class results, overall, teams, start list)
// printed with a printer choice or a preview, or saved as PDF, HTML or
// workbook, marked "vorläufig" or "offiziell". Every list that goes out is
// kept in the book as posted, so an official list stays as it was posted.
class PostListsDialog : public QDialog
{
    Q_OBJECT
public:
    enum class Format { Pdf, Html, Xlsx };

    PostListsDialog(EventBook* book, QWidget* parent = nullptr);

    std::vector<ResultList> Chosen() const;
    bool Official() const;
    void SetOfficial(bool official);
    // Writes the chosen lists to path and keeps them as posted; false with
    // the reason shown in the dialog.
    bool Save(Format format, const QString& path);
    QString Message() const;

    // The file to save to (empty: none); tests replace it.
    std::function<QString(const QString& filter, const QString& suffix)> ChooseFile;

private:
    ResultLists Lists() const;
    void Print();
    void Preview();
    void SaveAs(Format format);
    void KeepPosted(const ResultLists& lists);
    void ShowMessage(const QString& text, bool problem);

    EventBook* book_;
    QCheckBox* classes_ = nullptr;
    QCheckBox* overall_ = nullptr;
    QCheckBox* teams_ = nullptr;
    QCheckBox* startList_ = nullptr;
    QRadioButton* provisional_ = nullptr;
    QRadioButton* official_ = nullptr;
    QLabel* message_ = nullptr;
};
