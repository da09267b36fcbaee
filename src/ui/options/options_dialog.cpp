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

OptionsDialog::OptionsDialog(const OptionsContext& context, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Dialog),
      context_(context),
      associations_(context_.associations),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("F_3"));
    setWindowTitle(QStringLiteral("オプション"));

    pageList_ = named(new QListWidget(this), QStringLiteral("Lst_Menu"));
    pageList_->addItems({QStringLiteral("音源"), QStringLiteral("Lhasa"),
                         QStringLiteral("関連付け"), QStringLiteral("ソフトシンセ")});
    pageList_->setFixedWidth(110);
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

    okButton_ = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("B_Ok"));
    applyButton_ = named(new QPushButton(QStringLiteral("適用"), this), QStringLiteral("B_Accept"));
    cancelButton_ =
        named(new QPushButton(QStringLiteral("キャンセル"), this), QStringLiteral("B_Cancel"));
    for (QPushButton* button : {okButton_, applyButton_, cancelButton_}) {
        button->setAutoDefault(false);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(pageList_);
    top->addWidget(pages_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(applyButton_);
    buttons->addWidget(cancelButton_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);

    connect(pageList_, &QListWidget::currentRowChanged, this, &OptionsDialog::menuChosen);
    connect(okButton_, &QPushButton::clicked, this, &OptionsDialog::okClicked);
    connect(applyButton_, &QPushButton::clicked, this, &OptionsDialog::acceptClicked);
    connect(cancelButton_, &QPushButton::clicked, this, &OptionsDialog::cancelClicked);
}

OptionsDialog::~OptionsDialog() {
    enableMainWindow();
}

void OptionsDialog::buildDevicePage(QWidget* page) {
    auto* frameA = named(new QGroupBox(QStringLiteral("音源Ａ"), page), QStringLiteral("FrameA"));
    auto* frameB = named(new QGroupBox(QStringLiteral("音源Ｂ"), page), QStringLiteral("FrameB"));
    for (int i = 0; i < 2; ++i) {
        QWidget* frame = i == 0 ? frameA : frameB;
        deviceBoxes_[i] = named(new QComboBox(frame), indexed("cmb_Dev", i));
        resetTypeBoxes_[i] = named(new QComboBox(frame), indexed("cmb_Rtype", i));
        resetTexts_[i] = named(new QLineEdit(frame), indexed("txt_Reset", i));
        for (const ResetType& type : resetTypes()) {
            resetTypeBoxes_[i]->addItem(text(type.item));
        }
        resetTypeBoxes_[i]->setCurrentIndex(-1);
        deviceBoxes_[i]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        deviceBoxes_[i]->setMinimumContentsLength(24);
        connect(resetTypeBoxes_[i], &QComboBox::activated, this,
                [this, i](int t) { typeChosen(i, t); });
        connect(deviceBoxes_[i], &QComboBox::activated, this,
                [this, i](int position) { deviceChosen(i, position); });
    }

    auto* gridA = new QGridLayout(frameA);
    gridA->addWidget(label("Label2", "デバイス：", frameA), 0, 0);
    gridA->addWidget(deviceBoxes_[0], 0, 1, 1, 2);
    gridA->addWidget(label("Label1", "リセット：", frameA), 1, 0);
    gridA->addWidget(resetTypeBoxes_[0], 1, 1);
    gridA->addWidget(resetTexts_[0], 1, 2);
    gridA->setColumnStretch(2, 1);

    useDeviceBBox_ = named(new QCheckBox(QStringLiteral("音源Ｂを使用する"), frameB),
                           QStringLiteral("chk_UseB"));
    deviceBLabel_ = label("Label5", "デバイス：", frameB);
    resetBLabel_ = label("Label6", "リセット：", frameB);
    keywordsLabel_ = label("Label4", "キーワード：", frameB);
    deviceBKeywords_ = named(new QLineEdit(frameB), QStringLiteral("DevB_Key"));
    auto* gridB = new QGridLayout(frameB);
    gridB->addWidget(useDeviceBBox_, 0, 0, 1, 3);
    gridB->addWidget(deviceBLabel_, 1, 0);
    gridB->addWidget(deviceBoxes_[1], 1, 1, 1, 2);
    gridB->addWidget(resetBLabel_, 2, 0);
    gridB->addWidget(resetTypeBoxes_[1], 2, 1);
    gridB->addWidget(resetTexts_[1], 2, 2);
    gridB->addWidget(keywordsLabel_, 3, 0);
    gridB->addWidget(deviceBKeywords_, 3, 1, 1, 2);
    gridB->addWidget(
        label("Label9", "※アルファベットの大文字/小文字・全角/半角は区別しません", frameB), 4, 0, 1,
        3);
    gridB->setColumnStretch(2, 1);
    connect(useDeviceBBox_, &QCheckBox::toggled, this, &OptionsDialog::useBClicked);

    auto* column = new QVBoxLayout(page);
    column->addWidget(frameA);
    column->addWidget(frameB);
    column->addStretch(1);

    for (QWidget* w : std::initializer_list<QWidget*>{
             keywordsLabel_, deviceBLabel_, resetBLabel_, deviceBKeywords_, deviceBoxes_[1],
             resetTypeBoxes_[1], resetTexts_[1], resetTexts_[0]}) {
        w->setEnabled(false);
    }
}

void OptionsDialog::buildLhasaPage(QWidget* page) {
    useLhasaBox_ = named(new QCheckBox(QStringLiteral("Lhasaで解凍を行う"), page),
                         QStringLiteral("chk_Lhasa"));
    lhasaPathLabel_ = label("Label3", "パス：", page);
    lhasaPath_ = named(new QLineEdit(text(InitialLhasaPath), page), QStringLiteral("txt_Lhasa"));
    browseLhasaButton_ =
        named(new QPushButton(QStringLiteral("参照"), page), QStringLiteral("B_Lhasa"));
    browseLhasaButton_->setAutoDefault(false);
    auto* grid = new QGridLayout(page);
    grid->addWidget(useLhasaBox_, 0, 0, 1, 3);
    grid->addWidget(lhasaPathLabel_, 1, 0);
    grid->addWidget(lhasaPath_, 1, 1);
    grid->addWidget(browseLhasaButton_, 1, 2);
    grid->addWidget(label("Label7", "※libarchiveがLHA,ZIPを読める場合はそちらが優先されます", page),
                    2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{lhasaPathLabel_, lhasaPath_, browseLhasaButton_}) {
        w->setEnabled(false);
    }
    connect(useLhasaBox_, &QCheckBox::toggled, this, &OptionsDialog::lhasaClicked);
    connect(browseLhasaButton_, &QPushButton::clicked, this, &OptionsDialog::browseLhasa);
    lhasaPath_->installEventFilter(this);
}

void OptionsDialog::buildAssociationPage(QWidget* page) {
    associationList_ = named(new QListWidget(page), QStringLiteral("lst_Kanren"));
    associationList_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    for (const AssociationRow& row : associationRows()) {
        auto* item = new QListWidgetItem(text(row.listText), associationList_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    auto* column = new QVBoxLayout(page);
    column->addWidget(associationList_, 1);
    auto* note = label("Label8", "※圧縮書庫は関連付けずに右クリックのメニューに追加します。", page);
    note->setWordWrap(true);
    column->addWidget(note);
    connect(associationList_, &QListWidget::itemChanged, this, &OptionsDialog::associationTicked);
}

void OptionsDialog::buildSynthPage(QWidget* page) {
    soundFontPath_ = named(new QLineEdit(page), QStringLiteral("txt_SoundFont"));
    soundFontPath_->setReadOnly(true);
    chooseSoundFontButton_ =
        named(new QPushButton(QStringLiteral("参照"), page), QStringLiteral("B_SoundFont"));
    autoSoundFontButton_ =
        named(new QPushButton(QStringLiteral("自動"), page), QStringLiteral("B_SoundFontAuto"));
    audioOutputBox_ = named(new QComboBox(page), QStringLiteral("cmb_Audio"));
    audioOutputBox_->addItem(QStringLiteral("自動"), QString());
    for (const QString& driver : platform::midiout::offeredAudioDrivers()) {
        audioOutputBox_->addItem(driver, driver);
    }
    for (QPushButton* button : {chooseSoundFontButton_, autoSoundFontButton_}) {
        button->setAutoDefault(false);
    }
    auto* grid = new QGridLayout(page);
    grid->addWidget(label("Label10", "SoundFont：", page), 0, 0);
    grid->addWidget(soundFontPath_, 0, 1);
    grid->addWidget(chooseSoundFontButton_, 0, 2);
    grid->addWidget(autoSoundFontButton_, 0, 3);
    grid->addWidget(label("Label11", "オーディオ出力：", page), 1, 0);
    grid->addWidget(audioOutputBox_, 1, 1);
    auto* note = label(
        "Label12", "※内蔵シンセサイザー（デバイス 0）の設定です。適用すると切り替わります", page);
    note->setWordWrap(true);
    grid->addWidget(note, 2, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);
    connect(chooseSoundFontButton_, &QPushButton::clicked, this, &OptionsDialog::chooseSoundFont);
    connect(autoSoundFontButton_, &QPushButton::clicked, this, [this] {
        soundFont_.clear();
        showSoundFont();
    });
}

OptionsDialog* OptionsDialog::open(const OptionsContext& context, QWidget* mainWindow) {
    auto* dialog = new OptionsDialog(context, mainWindow);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Owned by the main window without being its child (a child would be disabled too).
    // The owner must be known before the dialog is first shown: the window system reads it
    // when the window maps, and a click on the disabled main window must not raise that
    // window over the dialog.
    if (mainWindow != nullptr) {
        QWidget* owner = mainWindow->window();
        owner->winId();
        dialog->winId();
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
    }
    dialog->load();
    dialog->show();
    return dialog;
}

QString OptionsDialog::outDeviceName(std::int16_t device) const {
    QString name = context_.midiOutput.deviceName(device);
    const qsizetype nul = name.indexOf(QChar(0));
    if (nul >= 0) {
        name.truncate(nul);
    }
    return name;
}

void OptionsDialog::load() {
    config::Settings& s = context_.settings;
    pageList_->setCurrentRow(0);
    if (mainWindow_ && !mainWindowDisabled_) {
        mainWindow_->setEnabled(false);
        mainWindowDisabled_ = true;
    }

    const int n = context_.midiOutput.deviceCount();
    for (int d = -1; d < n; ++d) {
        deviceBoxes_[0]->addItem(outDeviceName(static_cast<std::int16_t>(d)));
        deviceBoxes_[1]->addItem(outDeviceName(static_cast<std::int16_t>(d)));
    }
    deviceBoxes_[0]->setCurrentIndex(-1);
    deviceBoxes_[1]->setCurrentIndex(-1);
    context_.interaction.processEvents();

    selectType(0, s.deviceSlots[0].resetType);
    resetTexts_[0]->setText(s.deviceSlots[0].resetCode);
    selectDevice(0, s.deviceSlots[0].device + 1);

    if (s.useDeviceB) {
        resetTypeBoxes_[1]->setEnabled(true);
        selectType(1, s.deviceSlots[1].resetType);
        resetTexts_[1]->setEnabled(true);
        resetTexts_[1]->setText(s.deviceSlots[1].resetCode);
        deviceBoxes_[1]->setEnabled(true);
        selectDevice(1, s.deviceSlots[1].device + 1);
        deviceBKeywords_->setEnabled(true);
        deviceBKeywords_->setText(s.deviceSlots[1].keywords);
        useDeviceBBox_->setChecked(true);
    }

    if (s.useLhasa) {
        useLhasaBox_->setChecked(true);
    }
    lhasaPath_->setText(s.lhasaPath);

    linkingTicks_ = true;
    associations_.renameOldEntries();
    for (int r = 0; r < AssociationRows; ++r) {
        assocState_[r] = associations_.inForce(r);
        associationList_->item(r)->setCheckState(assocState_[r] ? Qt::Checked : Qt::Unchecked);
    }
    linkingTicks_ = false;

    soundFont_ = s.soundFont;
    showSoundFont();
    int audio = audioOutputBox_->findData(s.audioDriver);
    if (audio < 0) {
        audioOutputBox_->addItem(s.audioDriver, s.audioDriver);
        audio = audioOutputBox_->count() - 1;
    }
    audioOutputBox_->setCurrentIndex(audio);
}

// A stored value with no item (a device that is gone, a type out of range) leaves the list
// without a selection; applying then stores -2 or -1.
void OptionsDialog::selectType(int slot, int index) {
    resetTypeBoxes_[slot]->setCurrentIndex(index >= 0 && index < ResetTypeCount ? index : -1);
    typeChosen(slot, resetTypeBoxes_[slot]->currentIndex());
}

void OptionsDialog::selectDevice(int slot, int position) {
    deviceBoxes_[slot]->setCurrentIndex(
        position >= 0 && position < deviceBoxes_[slot]->count() ? position : -1);
    deviceChosen(slot, deviceBoxes_[slot]->currentIndex());
}

void OptionsDialog::menuChosen(int item) {
    if (item >= 0 && item < pages_->count()) {
        pages_->setCurrentIndex(item);
    }
}

void OptionsDialog::typeChosen(int slot, int index) {
    if (index < 0 || index >= ResetTypeCount) {
        return;
    }
    const ResetType& type = resetTypes()[index];
    resetTexts_[slot]->setText(text(type.code));
    if (slot == 1) {
        deviceBKeywords_->setText(text(type.keyword));
    }
    resetTexts_[slot]->setEnabled(type.editable);
}

void OptionsDialog::deviceChosen(int slot, int position) {
    if (position < 0) {
        return;
    }
    const int type = resetTypeForDeviceName(deviceBoxes_[slot]->itemText(position));
    if (type >= 0) {
        selectType(slot, type);
    }
}

void OptionsDialog::useBClicked(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{keywordsLabel_, deviceBLabel_, resetBLabel_,
                                                      resetTypeBoxes_[1], deviceBoxes_[1],
                                                      resetTexts_[1], deviceBKeywords_}) {
        w->setEnabled(on);
    }
    context_.settings.useDeviceB = on;
}

void OptionsDialog::lhasaClicked(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{lhasaPathLabel_, lhasaPath_, browseLhasaButton_}) {
        w->setEnabled(on);
    }
}

void OptionsDialog::browseLhasa() {
    const QString folder = context_.choosers.browseFolder(this, QStringLiteral("Lhasaの検索"));
    if (folder.isEmpty()) {
        return;
    }
    const QString candidate = QDir(folder).filePath(QLatin1String(LhasaProgram));
    if (isFile(candidate)) {
        context_.settings.lhasaPath = candidate;
        lhasaPath_->setText(candidate);
    } else {
        context_.interaction.showMessage(text(LhasaNotFoundText),
                                         platform::MessageIcon::Information);
    }
}

void OptionsDialog::lhasaPathLeft() {
    if (checkingLhasa_ || !lhasaPath_->isEnabled() || isFile(lhasaPath_->text())) {
        return;
    }
    checkingLhasa_ = true;
    const platform::MessageAnswer answer = context_.interaction.showMessage(
        text(LhasaPathBadText), platform::MessageIcon::Critical, platform::MessageButtons::YesNo);
    if (answer == platform::MessageAnswer::Yes) {
        useLhasaBox_->setChecked(false);
    } else {
        lhasaPath_->setFocus(Qt::OtherFocusReason);
    }
    checkingLhasa_ = false;
}

bool OptionsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lhasaPath_ && event->type() == QEvent::FocusOut) {
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
void OptionsDialog::associationTicked(QListWidgetItem* item) {
    if (linkingTicks_) {
        return;
    }
    linkingTicks_ = true;
    for (int r : rowsSharingType(associationList_->row(item))) {
        associationList_->item(r)->setCheckState(item->checkState());
    }
    linkingTicks_ = false;
}

void OptionsDialog::showSoundFont() {
    // The field is narrow: the file name says which font; the path is in the tool tip.
    const QString automatic = platform::midiout::resolveSoundFont(QString());
    soundFontPath_->setText(QFileInfo(soundFont_).fileName());
    soundFontPath_->setPlaceholderText(
        QStringLiteral("自動（%1）")
            .arg(automatic.isEmpty() ? QStringLiteral("なし") : QFileInfo(automatic).fileName()));
    soundFontPath_->setToolTip(soundFont_.isEmpty() ? automatic : soundFont_);
}

void OptionsDialog::chooseSoundFont() {
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

bool OptionsDialog::keywordMissing() const {
    return deviceBKeywords_->text().isEmpty();
}

bool OptionsDialog::applyAssociations() {
    for (int r = 0; r < AssociationRows; ++r) {
        const bool ticked = associationList_->item(r)->checkState() == Qt::Checked;
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

void OptionsDialog::storeSettings() {
    config::Settings& s = context_.settings;
    s.deviceSlots[0].resetType = static_cast<std::int16_t>(resetTypeBoxes_[0]->currentIndex());
    s.deviceSlots[0].resetCode = resetTexts_[0]->text();
    s.deviceSlots[0].device = static_cast<std::int16_t>(deviceBoxes_[0]->currentIndex() - 1);
    s.useDeviceB = useDeviceBBox_->isChecked();
    s.deviceSlots[1].resetType = static_cast<std::int16_t>(resetTypeBoxes_[1]->currentIndex());
    s.deviceSlots[1].resetCode = resetTexts_[1]->text();
    s.deviceSlots[1].device = static_cast<std::int16_t>(deviceBoxes_[1]->currentIndex() - 1);
    s.deviceSlots[1].keywords = deviceBKeywords_->text();
    s.useLhasa = useLhasaBox_->isChecked();
    s.lhasaPath = lhasaPath_->text();
    s.soundFont = soundFont_;
    s.audioDriver = audioOutputBox_->currentData().toString();
}

void OptionsDialog::acceptClicked() {
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

void OptionsDialog::okClicked() {
    if (useDeviceBBox_->isChecked() && keywordMissing()) {
        context_.interaction.showMessage(text(KeywordMissingText), platform::MessageIcon::Critical);
        return;
    }
    acceptClicked();
    close();
}

void OptionsDialog::cancelClicked() {
    close();
}

void OptionsDialog::closeEvent(QCloseEvent* event) {
    enableMainWindow();
    QWidget::closeEvent(event);
}

void OptionsDialog::enableMainWindow() {
    if (mainWindowDisabled_ && mainWindow_) {
        mainWindow_->setEnabled(true);
    }
    mainWindowDisabled_ = false;
}

}  // namespace vesk::ui
