#include "ui/window_layer.h"

#include <cstdlib>

namespace {

const size_t kGrowStep = 5;

// Holds the lock for one scope.
class ListLock {
public:
    explicit ListLock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
    ~ListLock() { LeaveCriticalSection(section_); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    CRITICAL_SECTION* section_;
};

// Every live member in construction order, and the count of modal members.
struct LayerList {
    LayerList() : items(nullptr), count(0), capacity(0), modalCount(0) { InitializeCriticalSection(&lock); }

    bool Append(WindowLayer* member)
    {
        if (count == capacity && !Resize(capacity + kGrowStep))
            return false;
        items[count++] = member;
        return true;
    }

    void Remove(WindowLayer* member)
    {
        for (size_t i = count; i-- > 0;) {
            if (items[i] != member)
                continue;
            for (size_t j = i + 1; j < count; ++j) items[j - 1] = items[j];
            --count;
            break;
        }
        // Shrinking cannot fail in a way that matters: the old block stays.
        if (capacity >= count + kGrowStep)
            Resize(capacity - kGrowStep);
    }

    bool Resize(size_t newCapacity)
    {
        if (newCapacity == 0) {
            std::free(items);
            items = nullptr;
            capacity = 0;
            return true;
        }
        // An array of pointers to the members, not of the members themselves.
        void* grown = std::realloc(items, newCapacity * sizeof *items);  // NOLINT(bugprone-sizeof-expression)
        if (!grown)
            return false;
        items = static_cast<WindowLayer**>(grown);
        capacity = newCapacity;
        return true;
    }

    // Searches from the end: the most recently constructed member first.
    WindowLayer* FindOwnedBy(const CWnd* owner, size_t* index) const
    {
        for (size_t i = count; owner && i-- > 0;) {
            if (items[i]->GetOwner() == owner) {
                if (index)
                    *index = i;
                return items[i];
            }
        }
        return nullptr;
    }

    CRITICAL_SECTION lock;
    WindowLayer** items;
    size_t count;
    size_t capacity;
    int modalCount;
};

// Created on first use and never destroyed: members may die at process exit
// in any order, after any static destructor.
LayerList& List()
{
    static LayerList* list = new LayerList;
    return *list;
}

// The lookup behind FindByWindow: a window's object is read from the window
// itself, so no thread reads another thread's object.
WindowLayer* FindByWindowLocked(HWND window, size_t* index)
{
    return List().FindOwnedBy(CWnd::FromHandlePermanent(window), index);
}

struct TopVisible {
    WindowLayer* member;
    HWND window;
};

TopVisible FindTopVisibleLocked(uint8_t level)
{
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        if (!IsWindowVisible(window))
            continue;
        WindowLayer* member = FindByWindowLocked(window, nullptr);
        if (member && member->GetLevel() == level)
            return {member, window};
    }
    return {nullptr, nullptr};
}

HWND TopModalWindow()
{
    ListLock hold(&List().lock);
    return FindTopVisibleLocked(WindowLayer::kModalLevel).window;
}

// A window of another thread cannot become the active window of ours; it
// is brought to the foreground instead, which activates it on its thread.
void Activate(HWND window)
{
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
        SetActiveWindow(window);
    else
        SetForegroundWindow(window);
}

ClickFeedback g_systemFeedback;
ClickFeedback* g_feedback = &g_systemFeedback;

}  // namespace

void ClickFeedback::Beep() { MessageBeep(0); }

void ClickFeedback::Flash(HWND window) { WindowLayer::FlashCaption(window); }

ClickFeedback* WindowLayer::SetClickFeedback(ClickFeedback* feedback)
{
    ClickFeedback* previous = g_feedback;
    g_feedback = feedback ? feedback : &g_systemFeedback;
    return previous == &g_systemFeedback ? nullptr : previous;
}

WindowLayer::WindowLayer() : level_(0), owner_(nullptr), listed_(false)
{
    ListLock hold(&List().lock);
    listed_ = List().Append(this);
}

WindowLayer::~WindowLayer()
{
    ListLock hold(&List().lock);
    if (!listed_)
        return;
    List().Remove(this);
    if (level_ == kModalLevel)
        --List().modalCount;
}

void WindowLayer::SetLevel(CWnd* owner, uint8_t level)
{
    ListLock hold(&List().lock);
    if (listed_ && level_ == 0 && level == kModalLevel)
        ++List().modalCount;
    level_ = level;
    owner_ = owner;
}

bool WindowLayer::FilterMessage(HWND window, const LayerRules& rules, UINT message, WPARAM wParam,
                                LPARAM lParam, LRESULT* result)
{
    *result = 0;
    bool shown = !rules.whileVisible || IsWindowVisible(window);
    switch (message) {
        case WM_ACTIVATE:
            if (!shown || LOWORD(wParam) == WA_INACTIVE || !HasModalMember())
                return false;
            ActivateTopModal();
            if (rules.redrawOnActivate)
                SetWindowPos(window, nullptr, 0, 0, 0, 0,
                             SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return true;
        case WM_WINDOWPOSCHANGING: {
            WINDOWPOS* position = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!position || !shown || level_ != kModalLevel)
                return false;
            if (position->flags & SWP_NOZORDER)
                return rules.keepsEveryPositionChange;
            RaiseModal();
            position->flags |= SWP_NOZORDER;
            return true;
        }
        case WM_MOUSEACTIVATE:
            if (reinterpret_cast<HWND>(wParam) != window || MayActivate())
                return false;
            RejectClick();
            *result = MA_NOACTIVATEANDEAT;
            return true;
        case WM_TASKBAR_BUTTON_MENU:
            return !MayActivate();
        default:
            return false;
    }
}

bool WindowLayer::IsTopModal() const { return FindTopVisible(kModalLevel) == this; }

bool WindowLayer::MayActivate() const
{
    if (level_ == kModalLevel)
        return IsTopModal();
    return !HasModalMember();
}

WindowLayer* WindowLayer::FindByWindow(HWND window)
{
    ListLock hold(&List().lock);
    return FindByWindowLocked(window, nullptr);
}

WindowLayer* WindowLayer::FindTopVisible(uint8_t level)
{
    ListLock hold(&List().lock);
    return FindTopVisibleLocked(level).member;
}

bool WindowLayer::HasModalMember()
{
    ListLock hold(&List().lock);
    return List().modalCount > 0;
}

void WindowLayer::ActivateTopModal()
{
    HWND window = TopModalWindow();
    if (window)
        Activate(window);
}

void WindowLayer::RejectClick()
{
    HWND window = TopModalWindow();
    if (!window)
        return;
    Activate(window);
    g_feedback->Beep();
    g_feedback->Flash(window);
}

void WindowLayer::RaiseModal()
{
    // Collected under the lock, raised after it: raising a window of the
    // other thread waits for that thread, which may be waiting for the lock.
    // The program never has more than a handful of modal windows open; past
    // kMost the highest ones in the z-order are raised.
    const size_t kMost = 32;
    HWND windows[kMost];
    size_t order[kMost];
    size_t found = 0;
    {
        ListLock hold(&List().lock);
        for (HWND window = GetTopWindow(nullptr); window && found < kMost;
             window = GetWindow(window, GW_HWNDNEXT)) {
            size_t index = 0;
            WindowLayer* member = IsWindowVisible(window) ? FindByWindowLocked(window, &index) : nullptr;
            if (!member || member->GetLevel() != kModalLevel)
                continue;
            // Insertion by list position: construction order decides the stack.
            size_t at = found++;
            for (; at > 0 && order[at - 1] > index; --at) {
                order[at] = order[at - 1];
                windows[at] = windows[at - 1];
            }
            order[at] = index;
            windows[at] = window;
        }
    }
    for (size_t i = 0; i < found; ++i)
        SetWindowPos(windows[i], HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOSENDCHANGING);
}

void WindowLayer::FlashCaption(HWND window)
{
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = window;
    flash.dwFlags = FLASHW_CAPTION;
    flash.uCount = 3;
    flash.dwTimeout = 60;
    FlashWindowEx(&flash);
}
