#include "ui/documents/documents.h"

#include "ui/common/messages.h"
#include "ui/documents/rich_text_box.h"

#include <QCoreApplication>
#include <QDir>

namespace orvane::ui {

QString DocumentPath(const QString& storedName) {
    // The program's own folder, never the working directory. On Linux this is the folder of
    // the real file behind /proc/self/exe, so a link in bin/ still finds the documents.
    QString name = storedName;
    if (name.startsWith(u'\\'))
        name[0] = u'/';
    return QCoreApplication::applicationDirPath() + name;
}

bool LoadDocument(RichTextBox* box, const QString& storedName) {
    const QString path = DocumentPath(storedName);
    const rtf::ReadResult result = box->LoadFile(path);
    if (!result.ok) {
        const QString file = storedName.mid(storedName.startsWith(u'\\') ? 1 : 0);
        showProblem(box, QCoreApplication::translate("LoadDocument",
                                                     "The document \"%1\" cannot be shown: %2.\n\n"
                                                     "It should be at:\n%3")
                             .arg(file, result.error, QDir::toNativeSeparators(path)));
    }
    return result.ok;
}

} // namespace orvane::ui
