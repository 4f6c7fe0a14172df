// CLargeIcon: shows one image of an icon list in a dialog, bound to the
// dialog's static control by subclassing (DDX_Control or SubclassDlgItem).
// Once bound, the control takes the image's size plus a 4-pixel margin.
// User-interface thread.
#pragma once

#include "afx/controls.h"
#include "ui/icon_list.h"

#include <cstdint>

// The icon list of the application picture, its image and drawing size.
const UINT kAppIconListId = 148;
const uint32_t kAppIconIndex = 0;
const uint32_t kAppIconSize = 128;
// The dialog control that shows it.
const int kLargeIconControlId = 1114;

class CLargeIcon : public CStatic {
public:
    // Loads the list now, before any window exists.
    CLargeIcon(UINT resourceId, uint32_t imageIndex, uint32_t drawSize);
    ~CLargeIcon() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCLargeIcon;

    uint32_t size;
    uint32_t index;
    CIconList* list;

protected:
    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP messageMap;

    void PreSubclassWindow() override;
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);

private:
    static const AFX_MSGMAP_ENTRY messageEntries[];
};
