#pragma once
#include <optional>
#include <string>

class QWidget;

// Choosing a boot image file; tests hand in an answer instead of a real dialog.
class IFileDialog {
public:
    virtual ~IFileDialog() = default;
    // The chosen full path, or nothing when the user cancelled. The file must exist.
    virtual std::optional<std::string> OpenBootFile(QWidget* pParent,
                                                    const std::string& strInitial) = 0;
};

class CQtFileDialog : public IFileDialog {
public:
    std::optional<std::string> OpenBootFile(QWidget* pParent,
                                            const std::string& strInitial) override;
};
