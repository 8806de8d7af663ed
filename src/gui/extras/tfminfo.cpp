#include "extras/tfminfo.h"

#include "controls/fonts.h"
#include "dialogs/messagebox.h"
#include "extras/jpegdecoder.h"
#include "velmarskversion.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <algorithm>

namespace velmarsk {
namespace {

template <typename W>
W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QFont pixelFont(const QString& family, int pixels, bool bold = false) {
    QFont f = mappedFont(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

}  // namespace

QStringList TFMInfo::pictureFolders(const QString& dataDir) {
    const QString programDir = QCoreApplication::applicationDirPath();
    return {dataDir, programDir, QDir(programDir).filePath(QStringLiteral("../share/velmarsk"))};
}

TFMInfo::TFMInfo(const QString& dataDir, int flightCount, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FMInfo"));
    setWindowTitle(QStringLiteral("FMInfo"));
    resize(790, 599);

    PicInfo = named(new QLabel(this), "PicInfo");
    PicInfo->setScaledContents(true);
    PicInfo->setAlignment(Qt::AlignCenter);
    PicInfo->setToolTip(QStringLiteral("Man kann auch mal Pech haben"));
    PicInfo->setGeometry(rect());

    Label3 = named(new QLabel(QStringLiteral("05.08.95"), this), "Label3");
    Label3->setFont(pixelFont(QStringLiteral("Arial"), 16, true));
    Label3->setStyleSheet(QStringLiteral("color: yellow; background: transparent;"));
    Label3->adjustSize();
    Label3->move(768, 623);

    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setGeometry(1, 4, 265, 137);
    Panel1->setAutoFillBackground(true);
    QPalette silver = Panel1->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    Panel1->setPalette(silver);
    Label1 = named(new QLabel(QStringLiteral("Verwaltung Velmarsk"), Panel1), "Label1");
    Label1->setFont(pixelFont(QStringLiteral("Arial"), 21));
    Label1->adjustSize();
    Label1->move(23, 16);
    Label1->setAttribute(Qt::WA_TransparentForMouseEvents);
    LBVersion =
        named(new QLabel(QStringLiteral("Version %1").arg(QLatin1String(kVersion)), Panel1), "LBVersion");
    LBVersion->setFont(pixelFont(QStringLiteral("Arial"), 12));
    LBVersion->adjustSize();
    LBVersion->setAttribute(Qt::WA_TransparentForMouseEvents);

    Panel2 = named(new QFrame(Panel1), "Panel2");
    Panel2->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* row = new QHBoxLayout(Panel2);
    row->setContentsMargins(0, 0, 0, 0);
    Label4 = named(new QLabel(QStringLiteral("gespeichert:"), Panel2), "Label4");
    LBFluege = named(new QLabel(QString::number(flightCount), Panel2), "LBFluege");
    Label5 = named(new QLabel(QStringLiteral("Flüge"), Panel2), "Label5");
    row->addWidget(Label4);
    row->addWidget(LBFluege);
    row->addWidget(Label5);
    // As wide as its words in the font the system gives, centred in the panel: a fixed width cut
    // "gespeichert:" short where the font is wider than the design's.
    Panel2->adjustSize();
    Panel1->setFixedWidth(
        std::max({Panel1->width(), Panel2->width() + 16, Label1->width() + 2 * Label1->x()}));
    Panel2->move((Panel1->width() - Panel2->width()) / 2, 72);
    LBVersion->move((Panel1->width() - LBVersion->width()) / 2, 48);

    BtnClose = named(new QPushButton(QStringLiteral("Schließen"), Panel1), "BtnClose");
    BtnClose->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BtnClose->adjustSize();
    BtnClose->move((Panel1->width() - BtnClose->width()) / 2, 104);
    BtnClose->setDefault(true);
    connect(BtnClose, &QPushButton::clicked, this, [this] { BtnCloseClick(); });

    FormCreate(dataDir);
}

void TFMInfo::FormCreate(const QString& dataDir) {
    QString path;
    for (const QString& folder : pictureFolders(dataDir)) {
        const QString candidate = QDir(folder).filePath(QString::fromLatin1(kPictureFile));
        if (QFileInfo::exists(candidate)) {
            path = candidate;
            break;
        }
    }
    const QString shownPath =
        QDir::toNativeSeparators(QDir(dataDir).filePath(QString::fromLatin1(kPictureFile)));
    QString error;
    QImage image;
    if (path.isEmpty()) {
        error = QStringLiteral("Die Datei %1 existiert nicht.").arg(shownPath);
    } else {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            error = QStringLiteral("Die Datei %1 kann nicht geöffnet werden: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString());
        else if (image = decodeJpeg(file.readAll(), &error); image.isNull())
            error = QStringLiteral("Die Datei %1 ist kein lesbares JPEG-Bild: %2")
                        .arg(QDir::toNativeSeparators(path), error);
    }
    if (image.isNull()) {
        // Without the picture the window keeps its design size.
        MessageBox::tell(this, QStringLiteral("Info"), error, MessageBox::Icon::Error);
        return;
    }
    PicInfo->setPixmap(QPixmap::fromImage(image));
    setFixedSize(image.size());
    PicInfo->setGeometry(rect());
}

}  // namespace velmarsk
