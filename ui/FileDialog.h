#pragma once
#include <functional>
#include <optional>
#include <string>

class QWidget;
class IMessageBox;

// Choosing a boot image file, or where to save one; tests hand in an answer instead of a
// real dialog.
class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // The chosen full path, or nothing when the user cancelled. The file must exist.
    virtual std::optional<std::string> OpenBootFile(QWidget* pParent,
                                                    const std::string& strInitial) = 0;
    // Where to save: the chosen full path, or nothing when the user cancelled. The filter
    // is as Qt writes it ("Text files (*.txt)"); its suffix is added when none is typed.
    virtual std::optional<std::string> SaveFile(QWidget* pParent, const std::string& strTitle,
                                                const std::string& strInitial,
                                                const std::string& strFilter) = 0;
};

class CQtFileDialog : public IFileDialog {
public:
    std::optional<std::string> OpenBootFile(QWidget* pParent,
                                            const std::string& strInitial) override;
    std::optional<std::string> SaveFile(QWidget* pParent, const std::string& strTitle,
                                        const std::string& strInitial,
                                        const std::string& strFilter) override;
};

// Asks where to save, then writes what fnText gives (only once a place is chosen). A failure
// is told in a box: strFailed ("The log could not be saved to"), the file and the reason.
void SaveTextAs(IFileDialog& files, IMessageBox& boxes, QWidget* pParent,
                const std::string& strTitle, const std::string& strInitial,
                const std::string& strFilter, const std::string& strFailed,
                const std::function<std::string()>& fnText);
