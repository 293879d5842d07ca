#pragma once

// The busy cursor over every window of the program while the UI thread works.
// Nested uses stack: the cursor returns when the last one ends.
void SetWaitCursor(bool bOn);

class CWaitCursor {
public:
    CWaitCursor() { SetWaitCursor(true); }
    ~CWaitCursor() { SetWaitCursor(false); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
