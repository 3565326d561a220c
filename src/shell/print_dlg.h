#pragma once
// The print dialog: source or data view, line numbers, data cells only, the selected lines
// only, and where the print goes (the printer set up with "Setup..." or a PDF file). The
// window makes one and keeps it, so the choices stay between prints.

#include <memory>
#include <string>

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace mondrel {

class Tdlg_print : public QDialog {
    Q_OBJECT
public:
    explicit Tdlg_print(QWidget* parent = nullptr);
    ~Tdlg_print() override;

    // The print flags of the choices (print_source_view, ...). A disabled box's check
    // counts too; the layout ignores what does not apply to the view.
    int flags() const;
    // The PDF file to print into; empty for the printer.
    std::string pdf_file() const;
    // The printer "Setup..." set up.
    QPrinter& printer() { return *printer_; }

    // Applies the enable rules (called whenever the type or "Data cells only" changes).
    void update_enabled();

    // --- the controls (tests reach them here) --------------------------------------------
    QRadioButton& source_view() { return *source_view_; }
    QRadioButton& data_view() { return *data_view_; }
    QCheckBox& line_numbers() { return *line_numbers_; }
    QCheckBox& data_only() { return *data_only_; }
    QCheckBox& selection_only() { return *selection_only_; }
    QCheckBox& to_pdf() { return *to_pdf_; }
    QLineEdit& pdf_name() { return *pdf_name_; }
    QPushButton& browse() { return *browse_; }
    QPushButton& setup() { return *setup_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose_pdf();
    void run_setup();

    std::unique_ptr<QPrinter> printer_;
    QRadioButton* source_view_ = nullptr;
    QRadioButton* data_view_ = nullptr;
    QCheckBox* line_numbers_ = nullptr;
    QCheckBox* data_only_ = nullptr;
    QCheckBox* selection_only_ = nullptr;
    QCheckBox* to_pdf_ = nullptr;
    QLineEdit* pdf_name_ = nullptr;
    QPushButton* browse_ = nullptr;
    QPushButton* setup_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace mondrel
