#include "expression/FunctionCatalogue.h"

#include "expression/xmlUtils.h"
#include "platform/Xml.h"

#include <QTreeWidget>

namespace tabulon {

namespace {

// The key of a node lives beside its text; items without one answer an empty string.
constexpr int kKeyRole = Qt::UserRole;

// Whitespace and quoting are part of the data: the first category's name is in double quotes,
// every other value in single quotes, so that only a conforming parser reads it.
// clang-format off
constexpr char kCatalogue[] =
    " <Functions>\r\n"
    "\t\r\n"
    "\t<Category Name=\"Date Functions\">\r\n"
    "\t\t<Function Name='Date' Description='Returns the current system date' />\r\n"
    "\t\t<Function Name='DateAdd' Description='Returns a date to which a specified time interval has been added' />\r\n"
    "\t\t<Function Name='DateDiff' Description='Returns the number of intervals between two dates' />\r\n"
    "\t\t<Function Name='DatePart' Description='Returns the specified part of a given date' />\r\n"
    "\t\t<Function Name='DateSerial' Description='Returns the date for a specified year, month, and day' />\r\n"
    "\t\t<Function Name='DateValue' Description='Returns a date' />\r\n"
    "\t\t<Function Name='Day' Description='Returns a number  that represents the day of the month (between 1 and 31, inclusive)' />\r\n"
    "\t\t<Function Name='Hour' Description='Returns a number that represents the hour of the day (between 0 and 23, inclusive)' />\r\n"
    "\t\t<Function Name='IsDate' Description='Returns a Boolean value that indicates if the evaluated expression can be converted to a date' />\r\n"
    "\t\t<Function Name='Minute' Description='Returns a number that represents the minute of the hour (between 0 and 59, inclusive)' />\r\n"
    "\t\t<Function Name='Month' Description='Returns a number  that represents the month of the year (between 1 and 12, inclusive)' />\r\n"
    "\t\t<Function Name='MonthName' Description='Returns the name of a specified month' />\r\n"
    "\t\t<Function Name='Now' Description='Returns the current system date and time' />\r\n"
    "\t\t<Function Name='Second' Description='Returns a number that represents the second of the minute (between 0 and 59, inclusive)' />\r\n"
    "\t\t<Function Name='Time' Description='Returns the current system time' />\r\n"
    "\t\t<Function Name='Timer' Description='Returns the number of seconds since 12:00 AM' />\r\n"
    "\t\t<Function Name='TimeSerial' Description='Returns the time for a specific hour, minute, and second' />\r\n"
    "\t\t<Function Name='TimeValue' Description='Returns a time' />\r\n"
    "\t\t<Function Name='Weekday' Description='Returns a number that represents the day of the week (between 1 and 7, inclusive)' />\r\n"
    "\t\t<Function Name='WeekdayName' Description='Returns the weekday name of a specified day of the week' />\r\n"
    "\t\t<Function Name='Year' Description='Returns a number that represents the year' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "\t\r\n"
    "\t<Category Name='Conversion Functions'>\r\n"
    "\t\t<Function Name='Asc' Description='Converts the first letter in a string to ANSI code' />\r\n"
    "\t\t<Function Name='CBool' Description='Converts an expression to a variant of subtype Boolean' />\r\n"
    "\t\t<Function Name='CByte' Description='Converts an expression to a variant of subtype Byte' />\r\n"
    "\t\t<Function Name='CCur' Description='Converts an expression to a variant of subtype Currency' />\r\n"
    "\t\t<Function Name='CDate' Description='Converts a valid date and time expression to the variant of subtype Date' />\r\n"
    "\t\t<Function Name='CDbl' Description='Converts an expression to a variant of subtype Double' />\r\n"
    "\t\t<Function Name='Chr' Description='Converts the specified ANSI code to a character' />\r\n"
    "\t\t<Function Name='CInt' Description='Converts an expression to a variant of subtype Integer' />\r\n"
    "\t\t<Function Name='CLng' Description='Converts an expression to a variant of subtype Long' />\r\n"
    "\t\t<Function Name='CSng' Description='Converts an expression to a variant of subtype Single' />\r\n"
    "\t\t<Function Name='CStr' Description='Converts an expression to a variant of subtype String' />\r\n"
    "\t\t<Function Name='Hex' Description='Returns the hexadecimal value of a specified number' />\r\n"
    "\t\t<Function Name='Oct' Description='Returns the octal value of a specified number' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "\t\r\n"
    "\t<Category Name='Format Functions'>\r\n"
    "\t\t<Function Name='FormatCurrency' Description='Returns an expression formatted as a currency value' />\r\n"
    "\t\t<Function Name='FormatDateTime' Description='Returns an expression formatted as a date or time' />\r\n"
    "\t\t<Function Name='FormatNumber' Description='Returns an expression formatted as a number' />\r\n"
    "\t\t<Function Name='FormatPercent' Description='Returns an expression formatted as a percentage' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "\t\r\n"
    "\t<Category Name='Maths Functions'>\r\n"
    "\t\t<Function Name='Abs' Description='Returns the absolute value of a specified number' />\r\n"
    "\t\t<Function Name='Atn' Description='Returns the arctangent of a specified number' />\r\n"
    "\t\t<Function Name='Cos' Description='Returns the cosine of a specified number (angle)' />\r\n"
    "\t\t<Function Name='Exp' Description='Returns e raised to a power' />\r\n"
    "\t\t<Function Name='Int' Description='Returns the integer part of a specified number' />\r\n"
    "\t\t<Function Name='Fix' Description='Returns the integer part of a specified number' />\r\n"
    "\t\t<Function Name='Log' Description='Returns the natural logarithm of a specified number' />\r\n"
    "\t\t<Function Name='Rnd' Description='Returns a random number less than 1 but greater or equal to 0' />\r\n"
    "\t\t<Function Name='Sgn' Description='Returns an integer that indicates the sign of a specified number' />\r\n"
    "\t\t<Function Name='Sin' Description='Returns the sine of a specified number (angle)' />\r\n"
    "\t\t<Function Name='Sqr' Description='Returns the square root of a specified number' />\r\n"
    "\t\t<Function Name='Tan' Description='Returns the tangent of a specified number (angle)' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "\t\r\n"
    "\t<Category Name='String/Text Functions'>\r\n"
    "\t\t<Function Name='InStr' Description='Returns the position of the first occurrence of one string within another. The search begins at the first character of the string' />\r\n"
    "\t\t<Function Name='InStrRev' Description='Returns the position of the first occurrence of one string within another. The search begins at the last character of the string' />\r\n"
    "\t\t<Function Name='LCase' Description='Converts a specified string to lowercase' />\r\n"
    "\t\t<Function Name='Left' Description='Returns a specified number of characters from the left side of a string' />\r\n"
    "\t\t<Function Name='Len' Description='Returns the number of characters in a string' />\r\n"
    "\t\t<Function Name='LTrim' Description='Removes spaces on the left side of a string' />\r\n"
    "\t\t<Function Name='RTrim' Description='Removes spaces on the right side of a string' />\r\n"
    "\t\t<Function Name='Trim' Description='Removes spaces on both the left and the right side of a string' />\r\n"
    "\t\t<Function Name='Mid' Description='Returns a specified number of characters from a string' />\r\n"
    "\t\t<Function Name='Replace' Description='Replaces a specified part of a string with another string a specified number of times' />\r\n"
    "\t\t<Function Name='Right' Description='Returns a specified number of characters from the right side of a string' />\r\n"
    "\t\t<Function Name='Space' Description='Returns a string that consists of a specified number of spaces' />\r\n"
    "\t\t<Function Name='StrComp' Description='Compares two strings and returns a value that represents the result of the comparison' />\r\n"
    "\t\t<Function Name='String' Description='Returns a string that contains a repeating character of a specified length' />\r\n"
    "\t\t<Function Name='StrReverse' Description='Reverses a string' />\r\n"
    "\t\t<Function Name='UCase' Description='Converts a specified string to uppercase' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "\t\r\n"
    "\t<Category Name='Miscellaneous'>\r\n"
    "\t\t<Function Name='IsEmpty' Description='Returns a Boolean value that indicates whether a specified variable has been initialized or not' />\r\n"
    "\t\t<Function Name='IsNull' Description='Returns a Boolean value that indicates whether a specified expression contains no valid data (Null)' />\r\n"
    "\t\t<Function Name='IsNumeric' Description='Returns a Boolean value that indicates whether a specified expression can be evaluated as a number' />\r\n"
    "\t\t<Function Name='IsObject' Description='Returns a Boolean value that indicates whether the specified expression is an automation object' />\r\n"
    "\t\t<Function Name='Round' Description='Rounds a number' />\r\n"
    "\t\t<Function Name='ScriptEngine' Description='Returns the scripting language in use' />\r\n"
    "\t\t<Function Name='ScriptEngineBuildVersion' Description='Returns the build version number of the scripting engine in use' />\r\n"
    "\t\t<Function Name='ScriptEngineMajorVersion' Description='Returns the major version number of the scripting engine in use' />\r\n"
    "\t\t<Function Name='ScriptEngineMinorVersion' Description='Returns the minor version number of the scripting engine in use' />\r\n"
    "\t\t<Function Name='SetLocale' Description='Sets the locale ID and returns the previous locale ID' />\r\n"
    "\t\t<Function Name='TypeName' Description='Returns the subtype of a specified variable' />\r\n"
    "\t\t<Function Name='VarType' Description='Returns a value that indicates the subtype of a specified variable' />\r\n"
    "\t</Category>\r\n"
    "\t\r\n"
    "</Functions>\r\n"
    "  \r\n";
// clang-format on

QTreeWidgetItem *addNode(QTreeWidget &tree, QTreeWidgetItem *parent, const QString &key,
                         const QString &text)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(&tree);
    node->setText(0, text);
    node->setToolTip(0, text); // the whole description where the tree is too narrow for it
    node->setData(0, kKeyRole, key);
    return node;
}

} // namespace

QString functionCatalogue()
{
    return QString::fromLatin1(kCatalogue, qsizetype(sizeof kCatalogue - 1));
}

void LoadFunctions(QTreeWidget &tvwFunctions, const QString &catalogue)
{
    platform::XmlDocument document;
    if (!document.loadXml(catalogue)) return;

    tvwFunctions.clear();
    const QString name = QStringLiteral("Name");
    for (const platform::XmlNode &category :
         document.documentElement().selectNodes(QStringLiteral("Category"))) {
        QTreeWidgetItem *categoryNode =
            addNode(tvwFunctions, nullptr, QString(), GetXmlAttribute(category, name));
        for (const platform::XmlNode &function : category.selectNodes(QStringLiteral("Function"))) {
            const QString functionName = GetXmlAttribute(function, name);
            QTreeWidgetItem *functionNode =
                addNode(tvwFunctions, categoryNode, functionName, functionName);
            addNode(tvwFunctions, functionNode, QString(),
                    GetXmlAttribute(function, QStringLiteral("Description")));
        }
    }
}

QString nodeKey(const QTreeWidgetItem &node)
{
    return node.data(0, kKeyRole).toString();
}

} // namespace tabulon
