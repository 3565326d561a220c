#pragma once
// The codesheet properties dialog: the "Created by" and "Description" texts.

#include <QDialog>

#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace mondrel {

class mondrel_doc;

class Tdlg_properties : public QDialog {
    Q_OBJECT
public:
    explicit Tdlg_properties(QWidget* parent = nullptr);

    // Fills the dialog from doc (caption and both texts).
    void load(const mondrel_doc& doc);

    QLineEdit* edi_created_by = nullptr;
    QPlainTextEdit* edi_description = nullptr;
};

} // namespace mondrel
