#include "ui/options/options_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/desktop/desktop_log.h"
#include "platform/midi_out/live_synth.h"
#include "platform/midi_out/soundfont.h"
#include "ui/options/reset_types.h"

namespace vesk::ui {

using platform::desktop::associationRows;
using platform::desktop::FirstArchiveRow;
using platform::desktop::rowsSharingType;

namespace {

constexpr char KeywordMissingText[] = "音源Bのキーワードが設定されていません。";
constexpr char RegistryFailedText[] = "レジストリの設定に失敗しました。レジストリ操作を中断します";
constexpr char LhasaNotFoundText[] = "Lhasaが見つかりません";
constexpr char LhasaPathBadText[] = "Lhasaのパスが不正です。LhasaオプションをOFFにしますか？";
constexpr char InitialLhasaPath[] = "/usr/bin/lha";
// The Lhasa program's file name on this system (the Debian package "lhasa").
constexpr char LhasaProgram[] = "lha";

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QLabel* label(const char* name, const char* caption, QWidget* parent) {
    auto* l = new QLabel(text(caption), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

template <typename W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* name, int i) {
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i);
}

bool isFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

}  // namespace

F_3::F_3(const OptionsContext& context, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog),
      context_(context),
      associations_(context_.associations),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("F_3"));
    setWindowTitle(QStringLiteral("オプション"));

    Lst_Menu = named(new QListWidget(this), QStringLiteral("Lst_Menu"));
    Lst_Menu->addItems({QStringLiteral("音源"), QStringLiteral("Lhasa"), QStringLiteral("関連付け"),
                        QStringLiteral("ソフトシンセ")});
    Lst_Menu->setFixedWidth(110);
    pages_ = new QStackedWidget(this);
    auto* frameO = named(new QWidget(pages_), QStringLiteral("FrameO"));
    auto* frameL = named(new QWidget(pages_), QStringLiteral("FrameL"));
    auto* frameK = named(new QWidget(pages_), QStringLiteral("FrameK"));
    auto* frameS = named(new QWidget(pages_), QStringLiteral("FrameS"));
    buildDevicePage(frameO);
    buildLhasaPage(frameL);
    buildAssociationPage(frameK);
    buildSynthPage(frameS);
    for (QWidget* page : {frameO, frameL, frameK, frameS}) {
        pages_->addWidget(page);
    }

    B_Ok = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("B_Ok"));
    B_Accept = named(new QPushButton(QStringLiteral("適用"), this), QStringLiteral("B_Accept"));
    B_Cancel =
        named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("B_Cancel"));
    for (QPushButton* button : {B_Ok, B_Accept, B_Cancel}) {
        button->setAutoDefault(false);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(Lst_Menu);
    top->addWidget(pages_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(B_Ok);
    buttons->addWidget(B_Accept);
    buttons->addWidget(B_Cancel);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);

    connect(Lst_Menu, &QListWidget::currentRowChanged, this, &F_3::menuChosen);
    connect(B_Ok, &QPushButton::clicked, this, &F_3::okClicked);
    connect(B_Accept, &QPushButton::clicked, this, &F_3::acceptClicked);
    connect(B_Cancel, &QPushButton::clicked, this, &F_3::cancelClicked);
}

F_3::~F_3() {
    enableMainWindow();
}

void F_3::buildDevicePage(QWidget* page) {
    auto* frameA = named(new QGroupBox(QStringLiteral("音源Ａ"), page), QStringLiteral("FrameA"));
    auto* frameB = named(new QGroupBox(QStringLiteral("音源Ｂ"), page), QStringLiteral("FrameB"));
    for (int i = 0; i < 2; ++i) {
        QWidget* frame = i == 0 ? frameA : frameB;
        cmb_Dev[i] = named(new QComboBox(frame), indexed("cmb_Dev", i));
        cmb_Rtype[i] = named(new QComboBox(frame), indexed("cmb_Rtype", i));
        txt_Reset[i] = named(new QLineEdit(frame), indexed("txt_Reset", i));
        for (const ResetType& type : resetTypes()) {
            cmb_Rtype[i]->addItem(text(type.item));
        }
        cmb_Rtype[i]->setCurrentIndex(-1);
        cmb_Dev[i]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        cmb_Dev[i]->setMinimumContentsLength(24);
        connect(cmb_Rtype[i], &QComboBox::activated, this, [this, i](int t) { typeChosen(i, t); });
        connect(cmb_Dev[i], &QComboBox::activated, this,
                [this, i](int position) { deviceChosen(i, position); });
    }

    auto* gridA = new QGridLayout(frameA);
    gridA->addWidget(label("Label2", "デバイス：", frameA), 0, 0);
    gridA->addWidget(cmb_Dev[0], 0, 1, 1, 2);
    gridA->addWidget(label("Label1", "リセット：", frameA), 1, 0);
    gridA->addWidget(cmb_Rtype[0], 1, 1);
    gridA->addWidget(txt_Reset[0], 1, 2);
    gridA->setColumnStretch(2, 1);

    chk_UseB = named(new QCheckBox(QStringLiteral("音源Ｂを使用する"), frameB),
                     QStringLiteral("chk_UseB"));
    Label5 = label("Label5", "デバイス：", frameB);
    Label6 = label("Label6", "リセット：", frameB);
    Label4 = label("Label4", "キーワード：", frameB);
    DevB_Key = named(new QLineEdit(frameB), QStringLiteral("DevB_Key"));
    auto* gridB = new QGridLayout(frameB);
    gridB->addWidget(chk_UseB, 0, 0, 1, 3);
    gridB->addWidget(Label5, 1, 0);
    gridB->addWidget(cmb_Dev[1], 1, 1, 1, 2);
    gridB->addWidget(Label6, 2, 0);
    gridB->addWidget(cmb_Rtype[1], 2, 1);
    gridB->addWidget(txt_Reset[1], 2, 2);
    gridB->addWidget(Label4, 3, 0);
    gridB->addWidget(DevB_Key, 3, 1, 1, 2);
    gridB->addWidget(
        label("Label9", "※アルファベットの大文字/小文字・全角/半角は区別しません", frameB), 4, 0, 1,
        3);
    gridB->setColumnStretch(2, 1);
    connect(chk_UseB, &QCheckBox::toggled, this, &F_3::useBClicked);

    auto* column = new QVBoxLayout(page);
    column->addWidget(frameA);
    column->addWidget(frameB);
    column->addStretch(1);

    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Label5, Label6, DevB_Key, cmb_Dev[1],
                                                      cmb_Rtype[1], txt_Reset[1], txt_Reset[0]}) {
        w->setEnabled(false);
    }
}

void F_3::buildLhasaPage(QWidget* page) {
    chk_Lhasa = named(new QCheckBox(QStringLiteral("Lhasaで解凍を行う"), page),
                      QStringLiteral("chk_Lhasa"));
    Label3 = label("Label3", "パス：", page);
    txt_Lhasa = named(new QLineEdit(text(InitialLhasaPath), page), QStringLiteral("txt_Lhasa"));
    B_Lhasa = named(new QPushButton(QStringLiteral("参照"), page), QStringLiteral("B_Lhasa"));
    B_Lhasa->setAutoDefault(false);
    auto* grid = new QGridLayout(page);
    grid->addWidget(chk_Lhasa, 0, 0, 1, 3);
    grid->addWidget(Label3, 1, 0);
    grid->addWidget(txt_Lhasa, 1, 1);
    grid->addWidget(B_Lhasa, 1, 2);
    grid->addWidget(
        label("Label7", "※UNLHA32.DLL,UNZIP32.DLLがある場合はそちらが優先されます", page), 2, 0, 1,
        3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, txt_Lhasa, B_Lhasa}) {
        w->setEnabled(false);
    }
    connect(chk_Lhasa, &QCheckBox::toggled, this, &F_3::lhasaClicked);
    connect(B_Lhasa, &QPushButton::clicked, this, &F_3::browseLhasa);
    txt_Lhasa->installEventFilter(this);
}

void F_3::buildAssociationPage(QWidget* page) {
    lst_Kanren = named(new QListWidget(page), QStringLiteral("lst_Kanren"));
    lst_Kanren->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const AssociationRow& row : associationRows()) {
        auto* item = new QListWidgetItem(text(row.listText), lst_Kanren);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* column = new QVBoxLayout(page);
    column->addWidget(lst_Kanren, 1);
    auto* note = label("Label8", "※圧縮書庫は関連付けずに右クリックのメニューに追加します。", page);
    note->setWordWrap(true);
    column->addWidget(note);
    connect(lst_Kanren, &QListWidget::itemChanged, this, &F_3::associationTicked);
}

void F_3::buildSynthPage(QWidget* page) {
    txt_SoundFont = named(new QLineEdit(page), QStringLiteral("txt_SoundFont"));
    txt_SoundFont->setReadOnly(true);
    B_SoundFont =
        named(new QPushButton(QStringLiteral("参照"), page), QStringLiteral("B_SoundFont"));
    B_SoundFontAuto =
        named(new QPushButton(QStringLiteral("自動"), page), QStringLiteral("B_SoundFontAuto"));
    cmb_Audio = named(new QComboBox(page), QStringLiteral("cmb_Audio"));
    cmb_Audio->addItem(QStringLiteral("自動"), QString());
    for (const QString& driver : platform::midiout::offeredAudioDrivers()) {
        cmb_Audio->addItem(driver, driver);
    }
    for (QPushButton* button : {B_SoundFont, B_SoundFontAuto}) {
        button->setAutoDefault(false);
    }
    auto* grid = new QGridLayout(page);
    grid->addWidget(label("Label10", "SoundFont：", page), 0, 0);
    grid->addWidget(txt_SoundFont, 0, 1);
    grid->addWidget(B_SoundFont, 0, 2);
    grid->addWidget(B_SoundFontAuto, 0, 3);
    grid->addWidget(label("Label11", "オーディオ出力：", page), 1, 0);
    grid->addWidget(cmb_Audio, 1, 1);
    auto* note = label(
        "Label12", "※内蔵シンセサイザー（デバイス 0）の設定です。適用すると切り替わります", page);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    connect(B_SoundFont, &QPushButton::clicked, this, &F_3::chooseSoundFont);
    connect(B_SoundFontAuto, &QPushButton::clicked, this, [this] {
        soundFont_.clear();
        showSoundFont();
    });
}

F_3* F_3::open(const OptionsContext& context, QWidget* mainWindow) {
    auto* dialog = new F_3(context, mainWindow);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->load();
    dialog->show();
    // Kept above the main window without being its child (a child would be disabled too).
    if (mainWindow != nullptr && mainWindow->window()->windowHandle() != nullptr &&
        dialog->windowHandle() != nullptr) {
        dialog->windowHandle()->setTransientParent(mainWindow->window()->windowHandle());
    }
    return dialog;
}

QString F_3::GetOutDeviceName(std::int16_t device) const {
    QString name = context_.midiOutput.deviceName(device);
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0) {
        name.truncate(nul);
    }
    return name;
}

void F_3::load() {
    config::Settings& s = context_.settings;
    Lst_Menu->setCurrentRow(0);
    if (mainWindow_ && !mainWindowDisabled_) {
        mainWindow_->setEnabled(false);
        mainWindowDisabled_ = true;
    }

    const int n = context_.midiOutput.deviceCount();
    for (int d = -1; d < n; ++d) {
        cmb_Dev[0]->addItem(GetOutDeviceName(static_cast<std::int16_t>(d)));
        cmb_Dev[1]->addItem(GetOutDeviceName(static_cast<std::int16_t>(d)));
    }
    cmb_Dev[0]->setCurrentIndex(-1);
    cmb_Dev[1]->setCurrentIndex(-1);
    context_.interaction.processEvents();

    selectType(0, s.deviceSlots[0].resetType);
    txt_Reset[0]->setText(s.deviceSlots[0].resetCode);
    selectDevice(0, s.deviceSlots[0].device + 1);

    if (s.useDeviceB) {
        cmb_Rtype[1]->setEnabled(true);
        selectType(1, s.deviceSlots[1].resetType);
        txt_Reset[1]->setEnabled(true);
        txt_Reset[1]->setText(s.deviceSlots[1].resetCode);
        cmb_Dev[1]->setEnabled(true);
        selectDevice(1, s.deviceSlots[1].device + 1);
        DevB_Key->setEnabled(true);
        DevB_Key->setText(s.deviceSlots[1].keywords);
        chk_UseB->setChecked(true);
    }

    if (s.useLhasa) {
        chk_Lhasa->setChecked(true);
    }
    txt_Lhasa->setText(s.lhasaPath);

    linkingTicks_ = true;
    for (int r = 0; r < AssociationRows; ++r) {
        assocState_[r] = associations_.inForce(r);
        lst_Kanren->item(r)->setCheckState(assocState_[r] ? Qt::Checked : Qt::Unchecked);
    }
    linkingTicks_ = false;

    soundFont_ = s.soundFont;
    showSoundFont();
    int audio = cmb_Audio->findData(s.audioDriver);
    if (audio < 0) {
        cmb_Audio->addItem(s.audioDriver, s.audioDriver);
        audio = cmb_Audio->count() - 1;
    }
    cmb_Audio->setCurrentIndex(audio);
}

// A stored value with no item (a device that is gone, a type out of range) leaves the list
// without a selection; applying then stores -2 or -1.
void F_3::selectType(int slot, int index) {
    cmb_Rtype[slot]->setCurrentIndex(index >= 0 && index < ResetTypeCount ? index : -1);
    typeChosen(slot, cmb_Rtype[slot]->currentIndex());
}

void F_3::selectDevice(int slot, int position) {
    cmb_Dev[slot]->setCurrentIndex(position >= 0 && position < cmb_Dev[slot]->count() ? position
                                                                                      : -1);
    deviceChosen(slot, cmb_Dev[slot]->currentIndex());
}

void F_3::menuChosen(int item) {
    if (item >= 0 && item < pages_->count()) {
        pages_->setCurrentIndex(item);
    }
}

void F_3::typeChosen(int slot, int index) {
    if (index < 0 || index >= ResetTypeCount) {
        return;
    }
    const ResetType& type = resetTypes()[index];
    txt_Reset[slot]->setText(text(type.code));
    if (slot == 1) {
        DevB_Key->setText(text(type.keyword));
    }
    txt_Reset[slot]->setEnabled(type.editable);
}

void F_3::deviceChosen(int slot, int position) {
    if (position < 0) {
        return;
    }
    const int type = resetTypeForDeviceName(cmb_Dev[slot]->itemText(position));
    if (type >= 0) {
        selectType(slot, type);
    }
}

void F_3::useBClicked(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Label5, Label6, cmb_Rtype[1],
                                                      cmb_Dev[1], txt_Reset[1], DevB_Key}) {
        w->setEnabled(on);
    }
    context_.settings.useDeviceB = on;
}

void F_3::lhasaClicked(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{Label3, txt_Lhasa, B_Lhasa}) {
        w->setEnabled(on);
    }
}

void F_3::browseLhasa() {
    const QString folder = context_.choosers.BrowseFolder(this, QStringLiteral("Lhasaの検索"));
    if (folder.isEmpty()) {
        return;
    }
    const QString candidate = QDir(folder).filePath(QLatin1String(LhasaProgram));
    if (isFile(candidate)) {
        context_.settings.lhasaPath = candidate;
        txt_Lhasa->setText(candidate);
    } else {
        context_.interaction.showMessage(text(LhasaNotFoundText),
                                         platform::MessageIcon::Information);
    }
}

void F_3::lhasaPathLeft() {
    if (checkingLhasa_ || !txt_Lhasa->isEnabled() || isFile(txt_Lhasa->text())) {
        return;
    }
    checkingLhasa_ = true;
    const platform::MessageAnswer answer = context_.interaction.showMessage(
        text(LhasaPathBadText), platform::MessageIcon::Critical, platform::MessageButtons::YesNo);
    if (answer == platform::MessageAnswer::Yes) {
        chk_Lhasa->setChecked(false);
    } else {
        txt_Lhasa->setFocus(Qt::OtherFocusReason);
    }
    checkingLhasa_ = false;
}

bool F_3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txt_Lhasa && event->type() == QEvent::FocusOut) {
        // Another window taking the input (a message box, the desktop) is not the user
        // leaving the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            lhasaPathLeft();
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The desktop associates file types, not extensions: rows of one type tick together.
void F_3::associationTicked(QListWidgetItem* item) {
    if (linkingTicks_) {
        return;
    }
    linkingTicks_ = true;
    for (int r : rowsSharingType(lst_Kanren->row(item))) {
        lst_Kanren->item(r)->setCheckState(item->checkState());
    }
    linkingTicks_ = false;
}

void F_3::showSoundFont() {
    txt_SoundFont->setText(soundFont_);
    const QString automatic = platform::midiout::resolveSoundFont(QString());
    txt_SoundFont->setPlaceholderText(
        QStringLiteral("自動（%1）").arg(automatic.isEmpty() ? QStringLiteral("なし") : automatic));
}

void F_3::chooseSoundFont() {
    const QString path = context_.choosers.chooseSoundFont(
        this, QStringLiteral("SoundFontの選択"),
        soundFont_.isEmpty() ? platform::midiout::resolveSoundFont(QString()) : soundFont_);
    if (path.isEmpty()) {
        return;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != u"sf2" && suffix != u"sf3") {
        context_.interaction.showMessage(
            QStringLiteral("SoundFont（.sf2 または .sf3）を選んでください。\n%1").arg(path),
            platform::MessageIcon::Critical);
        return;
    }
    setCursor(Qt::WaitCursor);
    const platform::midiout::SoundFontCheck check = platform::midiout::checkSoundFont(path);
    unsetCursor();
    if (!check.ok) {
        context_.interaction.showMessage(check.message, platform::MessageIcon::Critical);
        return;
    }
    soundFont_ = path;
    showSoundFont();
}

bool F_3::keywordMissing() const {
    return DevB_Key->text().isEmpty();
}

bool F_3::applyAssociations() {
    for (int r = 0; r < AssociationRows; ++r) {
        const bool ticked = lst_Kanren->item(r)->checkState() == Qt::Checked;
        if (ticked == assocState_[r]) {
            continue;
        }
        bool ok = false;
        if (r < FirstArchiveRow) {
            ok = assocState_[r] ? associations_.removeAssociation(r)
                                : associations_.setAssociation(r);
        } else {
            ok = assocState_[r] ? associations_.removeArchiveVerb(r)
                                : associations_.addArchiveVerb(r);
        }
        if (!ok) {
            return false;
        }
        assocState_[r] = !assocState_[r];
    }
    return true;
}

void F_3::storeSettings() {
    config::Settings& s = context_.settings;
    s.deviceSlots[0].resetType = static_cast<std::int16_t>(cmb_Rtype[0]->currentIndex());
    s.deviceSlots[0].resetCode = txt_Reset[0]->text();
    s.deviceSlots[0].device = static_cast<std::int16_t>(cmb_Dev[0]->currentIndex() - 1);
    s.useDeviceB = chk_UseB->isChecked();
    s.deviceSlots[1].resetType = static_cast<std::int16_t>(cmb_Rtype[1]->currentIndex());
    s.deviceSlots[1].resetCode = txt_Reset[1]->text();
    s.deviceSlots[1].device = static_cast<std::int16_t>(cmb_Dev[1]->currentIndex() - 1);
    s.deviceSlots[1].keywords = DevB_Key->text();
    s.useLhasa = chk_Lhasa->isChecked();
    s.lhasaPath = txt_Lhasa->text();
    s.soundFont = soundFont_;
    s.audioDriver = cmb_Audio->currentData().toString();
}

void F_3::acceptClicked() {
    if (keywordMissing() && context_.settings.useDeviceB) {
        context_.interaction.showMessage(text(KeywordMissingText), platform::MessageIcon::Critical);
        return;
    }
    if (!applyAssociations()) {
        context_.interaction.showMessage(text(RegistryFailedText), platform::MessageIcon::Critical);
    }
    storeSettings();
    if (context_.applySynthesizerSettings) {
        context_.applySynthesizerSettings();
    }
}

void F_3::okClicked() {
    if (chk_UseB->isChecked() && keywordMissing()) {
        context_.interaction.showMessage(text(KeywordMissingText), platform::MessageIcon::Critical);
        return;
    }
    acceptClicked();
    close();
}

void F_3::cancelClicked() {
    close();
}

void F_3::closeEvent(QCloseEvent* event) {
    enableMainWindow();
    QWidget::closeEvent(event);
}

void F_3::enableMainWindow() {
    if (mainWindowDisabled_ && mainWindow_) {
        mainWindow_->setEnabled(true);
    }
    mainWindowDisabled_ = false;
}

}  // namespace vesk::ui
