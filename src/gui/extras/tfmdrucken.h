#pragma once

#include <QWidget>
#include <memory>

class QPrinter;

namespace velmarsk {

// Holds the program's current printer: "Drucker wählen" chooses it, "Flug drucken" prints on it.
// Never shown itself.
class TFMDrucken : public QWidget {
    Q_OBJECT

public:
    explicit TFMDrucken(QWidget* parent = nullptr);
    ~TFMDrucken() override;

    QPrinter& printer() { return *m_printer; }

    // The print dialog; settings chosen there stay for later prints, a cancel keeps the old ones.
    void PrintDialog(QWidget* over);

    // Prints the image of a window, scaled to fit the page and kept in proportion. False when the
    // printer could not start (the reason is in errorString()).
    bool printWindowImage(QWidget* window);
    QString errorString() const { return m_error; }

private:
    std::unique_ptr<QPrinter> m_printer;
    QString m_error;
};

}  // namespace velmarsk
