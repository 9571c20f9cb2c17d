#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace amiscan {

// An initialisation file of the usual form: "[Section]" lines, then "key=value" lines.
// Sections and keys are matched without regard to case; a value read loses its surrounding
// blanks (U+0020 only: a tab or a no-break space belongs to the value) and one pair of
// surrounding quotes. Writing a key updates its line in place, or adds
// it at the end of its section, creating the section when it is missing; every other line
// (comments, other sections, unknown keys) is kept as it was. Lines end with CR LF.
class ProfileFile final
{
public:
    ProfileFile() = default;
    explicit ProfileFile(const QString &text);
    // The lines may hold the password: they are cleared before their memory goes back.
    ~ProfileFile();
    ProfileFile(const ProfileFile &) = default;
    ProfileFile &operator=(const ProfileFile &) = default;

    // Reads the file. A missing file gives an empty profile; false when the file exists but
    // cannot be read (the profile is then empty).
    bool load(const QString &path);
    // Replaces the file safely (see replaceFileSafely), readable and writable by its owner only.
    // On failure `*error` says why.
    bool save(const QString &path, QString *error = nullptr) const;

    // The value of the first such key in the first such section; empty when there is none.
    QString value(const QString &section, const QString &key) const;
    void setValue(const QString &section, const QString &key, const QString &value);
    // Removes the key's line, if there is one.
    void removeValue(const QString &section, const QString &key);

    QStringList lines() const { return m_lines; }
    // The file's bytes in the files' encoding.
    QByteArray toBytes() const;

private:
    // Line index of the section's header line, or -1.
    qsizetype findSection(const QString &section) const;
    // Line index of the key within the section starting after sectionLine, or -1.
    qsizetype findKey(qsizetype sectionLine, const QString &key) const;
    // Index of the line after the section's last line that is not blank.
    qsizetype sectionEnd(qsizetype sectionLine) const;

    QStringList m_lines;
};

} // namespace amiscan
