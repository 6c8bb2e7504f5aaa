#include "shell/qt/file_dialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

namespace pellory {

namespace {
constexpr int kFileDialogWidth = 860;
constexpr int kFileDialogHeight = 520;
constexpr int kFileDialogSidebar = 170;
// Of the screen's free room, in percent, so that its frame fits as well.
constexpr int kFileDialogScreenShare = 90;
}  // namespace

QStringList NameFiltersFromPipeList(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList nameFilters;
  // Pairs until the first empty description, which is where "||" ends the list.
  for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      QString trimmed = pattern.trimmed();
      patterns << (trimmed == QLatin1String("*.*") ? QStringLiteral("*") : trimmed);
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    nameFilters << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
  }
  return nameFilters;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, bool save) {
  // Qt's own dialog everywhere, so that every option below means the same on every desktop.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setWindowTitle(QString::fromUtf8(save ? kSaveDialogTitle : kOpenDialogTitle));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.MustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.OverwritePrompt);

  QStringList nameFilters = NameFiltersFromPipeList(request.Filter);
  if (!nameFilters.isEmpty()) {
    dialog.setNameFilters(nameFilters);
    int index = request.FilterIndex >= 1 && request.FilterIndex <= nameFilters.size()
                    ? request.FilterIndex
                    : 1;
    dialog.selectNameFilter(nameFilters[index - 1]);
  }

  QString suffix = QString::fromStdString(request.DefaultExtension);
  while (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
  dialog.setDefaultSuffix(suffix);

  // No folder stored yet (a first run): the working directory, where the data files are,
  // rather than wherever Qt last was.
  dialog.setDirectory(request.InitialDirectory.empty()
                          ? QDir::currentPath()
                          : QFile::decodeName(request.InitialDirectory.c_str()));
  if (!request.InitialName.empty())
    dialog.selectFile(QFile::decodeName(request.InitialName.c_str()));

  // Names, sizes and dates readable at once: a roomy dialog, the detail view, and columns
  // as wide as their contents ("256 Bytes", not "256…tes").
  dialog.setViewMode(QFileDialog::Detail);
  QSize size(kFileDialogWidth, kFileDialogHeight);
  // Never beyond the screen it opens on, which at a large scale factor may be smaller in
  // logical pixels than the size wished for.
  QWidget* over = dialog.parentWidget() != nullptr ? dialog.parentWidget()->window() : nullptr;
  QScreen* screen = over != nullptr ? over->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    QSize room = screen->availableGeometry().size() * kFileDialogScreenShare / 100;
    size = size.boundedTo(room);
    dialog.setMaximumSize(screen->availableGeometry().size());
  }
  dialog.resize(size);
  for (QTreeView* view : dialog.findChildren<QTreeView*>()) {
    QHeaderView* header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  // The places on the left readable too, not cut to "Com…".
  if (auto* splitter = dialog.findChild<QSplitter*>()) {
    splitter->setSizes({kFileDialogSidebar, size.width() - kFileDialogSidebar});
  }
}

FileDialogResult FileDialogResultOf(const QFileDialog& dialog) {
  FileDialogResult result;
  QStringList files = dialog.selectedFiles();
  // With no name typed the dialog answers with its directory, which is no file.
  if (!files.isEmpty() && !QFileInfo(files.first()).isDir()) {
    result.Path = QFile::encodeName(files.first()).toStdString();
  }
  qsizetype index = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
  result.FilterIndex = index >= 0 ? static_cast<int>(index) + 1 : 1;
  return result;
}

}  // namespace pellory
