#include "tests/support/gtest.h"

#include "afx/afxwin.h"
#include "ui/frame_wnd_ex.h"

namespace {

const UINT kWorkerDone = 12345;

struct WorkerRecord {
    DWORD targetThread;
    CWinThread* seenAsThread;
    volatile LONG ran;
};

UINT RecordAndReport(LPVOID parameter)
{
    WorkerRecord* record = static_cast<WorkerRecord*>(parameter);
    record->seenAsThread = AfxGetThread();
    InterlockedExchange(&record->ran, 1);
    PostThreadMessageA(record->targetThread, kWorkerDone, 7, 9);
    return 0;
}

// A user-interface thread whose message map takes the worker's report and
// then ends the loop as the installer does.
class ReportingThread : public CWinThread {
public:
    int reports = 0;
    WPARAM reportedW = 0;

    void OnReport(WPARAM wParam, LPARAM)
    {
        ++reports;
        reportedW = wParam;
        PostThreadMessageA(m_nThreadID, WM_QUIT, 0, 0);
    }

protected:
    const AFX_THREAD_MSGMAP_ENTRY* GetThreadMessageMap() const override
    {
        static const AFX_THREAD_MSGMAP_ENTRY entries[] = {
            {kWorkerDone, static_cast<AFX_THREAD_HANDLER>(&ReportingThread::OnReport)},
            {0, nullptr},
        };
        return entries;
    }
};

}  // namespace

TEST(AfxBeginThread, SuspendedWorkerRunsOnlyWhenResumedAndItsReportKeepsTheLoopUntilQuit)
{
    ReportingThread ui;
    ui.m_nThreadID = GetCurrentThreadId();
    EXPECT_EQ(ui.Run(), 0) << "without a main window the loop ends at once";
    EXPECT_EQ(ui.reports, 0);

    // Without a main window the loop would end at once; the placeholder
    // keeps it waiting for the worker.
    CFrameWndEx placeholder;
    ui.m_pMainWnd = &placeholder;
    EXPECT_EQ(placeholder.GetSafeHwnd(), nullptr);

    WorkerRecord record = {ui.m_nThreadID, nullptr, 0};
    CWinThread* worker = AfxBeginThread(RecordAndReport, &record, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(worker, nullptr);
    ASSERT_NE(worker->m_hThread, nullptr);
    EXPECT_TRUE(worker->m_bAutoDelete);
    Sleep(200);
    EXPECT_EQ(record.ran, 0);
    CWinThread* expected = worker;
    worker->ResumeThread();

    EXPECT_EQ(ui.Run(), 0);
    EXPECT_EQ(record.ran, 1);
    EXPECT_EQ(record.seenAsThread, expected);
    EXPECT_EQ(ui.reports, 1);
    EXPECT_EQ(ui.reportedW, 7u);
}
