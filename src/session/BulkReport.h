// The picture report of a bulk run: one HTML page that a browser opens with no network. Per
// grab it shows a thumbnail of the grab and one of the converted map with the cells to check
// framed, the game, the scheme, the accuracy, the confidence and how the grid was located, and
// it lists the grabs that failed with their reason. The thumbnails are PNG files in a folder
// beside the page, named after it: "report.html" keeps them in "report_files".
#pragma once

#include "decode/CellsToCheck.h"
#include "export/FileWrite.h"
#include "session/BulkRun.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace vt {

// The name of the report that the window's bulk run writes into its destination folder.
inline const QString kPictureReportName = QStringLiteral("picture-report.html");

// The grab scaled down to fit 320 x 240, its proportions kept (never enlarged).
QImage reportThumbnail(const QImage& grab);

// The converted map at a whole number of pixels a cell, at most 320 a side (at least 2 pixels
// a cell), with every cell of `check` framed in its colour (checkColour).
QImage checkedMapThumbnail(const QImage& map, const CellsToCheck& check);

// The folder of the pictures of the report `htmlPath`: its name without the extension, then
// "_files", beside it.
QString reportPicturesFolder(const QString& htmlPath);

class BulkReportWriter
{
public:
    explicit BulkReportWriter(QString htmlPath);

    // Takes one grab's report, in run order, and writes its thumbnails at once (so that a long
    // run does not hold them). Throws nothing, so that it can run beside a conversion: a
    // picture that cannot be written is told by finish.
    void add(const GrabReport& report);

    // The run was stopped before `notReached`, the grabs it did not come to: the page says so
    // and lists them.
    void stopped(const QStringList& notReached);

    // Writes the page, replacing an older one only once it is complete. Throws vt::Error when
    // the page or one of its pictures could not be written.
    void finish();

    const QString& path() const { return m_path; }
    // The temporaries of its pictures and page that a killed run had left, removed before
    // they were written (native separators).
    const QStringList& removedTemporaries() const { return m_removed; }
    int converted() const;
    int failed() const;
    int cellsToCheck() const;

private:
    struct Entry
    {
        int number = 0; // in run order, from 1: the page's anchor "grab-<number>"
        GrabReport::Outcome outcome = GrabReport::Outcome::Skipped;
        QString input;
        QString error;
        bool analysed = false;
        int game = 0;
        int colour = 0;
        GridGeometry grid;
        bool decoded = false;
        quint32 errors = 0;
        int accuracy = 0;
        Confidence confidence;
        int unmatched = 0;
        int nearTies = 0;
        QStringList outputs;
        QString grabPicture; // file names in the pictures' folder; empty when there is none
        QSize grabSize;
        QString mapPicture;
        QSize mapSize;
    };

    QString savePicture(const QImage& picture, const QString& name);
    QString link(const QString& file) const;
    QString grabSection(const Entry& entry) const;
    QString failureSection(const Entry& entry) const;
    QString figure(const QString& picture, QSize size, const QString& caption,
                   const QString& target) const;

    QString m_path;
    QString m_pictures; // the pictures' folder
    std::vector<Entry> m_entries;
    QString m_problem; // the first picture that could not be written
    StaleTemporaries m_stale;
    QStringList m_removed;
    int m_thumbnails = 0; // written so far
    // Tests: the run is killed in the middle of writing this thumbnail (counted from 1), as
    // the environment's VT_TEST_KILL_IN_THUMBNAIL says; 0: never.
    int m_dieInThumbnail = 0;
    bool m_stopped = false;
    QStringList m_notReached;
};

} // namespace vt
