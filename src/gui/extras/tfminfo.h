#pragma once

#include <QDialog>

class QLabel;
class QFrame;
class QPushButton;

namespace velmarsk {

// "Info": a picture with the program's title and the number of flights stored. The picture is the
// file INFO.JPG, looked for in the data folder first and then beside the program.
class TFMInfo : public QDialog {
    Q_OBJECT

public:
    TFMInfo(const QString& dataDir, int flightCount, QWidget* parent = nullptr);

    static constexpr const char* kPictureFile = "INFO.JPG";
    // Where the picture is taken from: the first of these folders that holds it.
    static QStringList pictureFolders(const QString& dataDir);

    QLabel* PicInfo = nullptr;
    QLabel* Label3 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LBVersion = nullptr;  // the program's version under its title
    QFrame* Panel2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* LBFluege = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* BtnClose = nullptr;

private:
    void FormCreate(const QString& dataDir);
    void BtnCloseClick() { close(); }
};

}  // namespace velmarsk
