// Build-time tool: renders the built-in design's SVG templates to PNG and
// writes them as a C++ table that becomes the data of "Resources.dll".
//
//   lumi_render_art --manifest bitmaps.txt --art <folder> --png-dir <folder> --output BitmapData.cpp
//
// Any problem (unreadable template, unknown name in an expression, an SVG that
// does not render, a repeated id) stops the build with a message: a resource
// library with a silently missing bitmap would only show up on screen.
#include <QBuffer>
#include <QByteArray>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageWriter>
#include <QMap>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace {

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const QString& message) { throw Failure(message.toStdString()); }

// Qt Svg only warns about what it cannot draw (an unsupported element, a
// broken reference) and renders the rest; here that is a broken picture.
QStringList svgWarnings;
void collectSvgWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg && context.category && QByteArray(context.category).startsWith("qt.svg"))
    svgWarnings.append(message);
  else if (!message.startsWith(QLatin1String("QStandardPaths:")))  // no runtime folder in a build: harmless
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

using Variables = QHash<QString, QString>;

// A small arithmetic evaluator for template expressions such as {W-1.5} or
// {(H-6)/2}: numbers, numeric variables, + - * /, unary minus, parentheses.
class Expression {
 public:
  Expression(const QString& text, const Variables& vars) : text_(text), vars_(vars) {}

  double evaluate() {
    const double value = sum();
    skipSpaces();
    if (pos_ != text_.size()) fail(QStringLiteral("unexpected '%1' in {%2}").arg(text_.mid(pos_), text_));
    return value;
  }

 private:
  void skipSpaces() {
    while (pos_ < text_.size() && text_[pos_].isSpace()) ++pos_;
  }
  bool take(QChar c) {
    skipSpaces();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  double sum() {
    double value = product();
    for (;;) {
      if (take('+')) value += product();
      else if (take('-')) value -= product();
      else return value;
    }
  }
  double product() {
    double value = unary();
    for (;;) {
      if (take('*')) {
        value *= unary();
      } else if (take('/')) {
        const double divisor = unary();
        if (divisor == 0) fail(QStringLiteral("division by zero in {%1}").arg(text_));
        value /= divisor;
      } else {
        return value;
      }
    }
  }
  double unary() {
    if (take('-')) return -unary();
    if (take('(')) {
      const double value = sum();
      if (!take(')')) fail(QStringLiteral("missing ')' in {%1}").arg(text_));
      return value;
    }
    skipSpaces();
    const int start = pos_;
    if (pos_ < text_.size() && (text_[pos_].isLetter() || text_[pos_] == '_')) {
      while (pos_ < text_.size() && (text_[pos_].isLetterOrNumber() || text_[pos_] == '_')) ++pos_;
      const QString name = text_.mid(start, pos_ - start);
      if (!vars_.contains(name)) fail(QStringLiteral("unknown name %1 in {%2}").arg(name, text_));
      bool ok = false;
      const double value = vars_.value(name).toDouble(&ok);
      if (!ok) fail(QStringLiteral("%1 is not a number in {%2}").arg(name, text_));
      return value;
    }
    while (pos_ < text_.size() && (text_[pos_].isDigit() || text_[pos_] == '.')) ++pos_;
    bool ok = false;
    const double value = text_.mid(start, pos_ - start).toDouble(&ok);
    if (!ok) fail(QStringLiteral("expected a number at '%1' in {%2}").arg(text_.mid(start), text_));
    return value;
  }

  QString text_;
  const Variables& vars_;
  int pos_ = 0;
};

QString formatNumber(double value) {
  if (std::fabs(value - std::round(value)) < 1e-9) return QString::number(static_cast<long long>(std::llround(value)));
  return QString::number(value, 'f', 3);
}

// Replaces every {...}: a bare name by its text (so names may hold words such
// as GLYPH=play), anything else by the value of the expression.
QString expand(const QString& source, const Variables& vars, const QString& file) {
  static const QRegularExpression bareName(QStringLiteral("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*$"));
  QString out;
  out.reserve(source.size());
  int pos = 0;
  while (pos < source.size()) {
    const int open = source.indexOf('{', pos);
    if (open < 0) {
      out += source.mid(pos);
      break;
    }
    const int close = source.indexOf('}', open);
    if (close < 0) fail(QStringLiteral("%1: '{' without '}'").arg(file));
    out += source.mid(pos, open - pos);
    const QString inner = source.mid(open + 1, close - open - 1);
    const QRegularExpressionMatch name = bareName.match(inner);
    try {
      if (name.hasMatch()) {
        if (!vars.contains(name.captured(1))) fail(QStringLiteral("unknown name %1").arg(name.captured(1)));
        out += vars.value(name.captured(1));
      } else {
        out += formatNumber(Expression(inner, vars).evaluate());
      }
    } catch (const Failure& e) {
      fail(QStringLiteral("%1: %2").arg(file, QString::fromStdString(e.what())));
    }
    pos = close + 1;
  }
  return out;
}

struct Entry {
  int id = 0;
  int width = 0;
  int height = 0;
  QString templateFile;
  Variables vars;
  int line = 0;
};

QList<Entry> readManifest(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read %1").arg(path));
  QList<Entry> entries;
  QHash<int, int> seen;
  int lineNumber = 0;
  while (!file.atEnd()) {
    ++lineNumber;
    const QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QStringList fields = line.split(QRegularExpression(QStringLiteral("\\s+")));
    auto where = [&] { return QStringLiteral("%1:%2").arg(path).arg(lineNumber); };
    if (fields.size() < 4) fail(where() + QStringLiteral(": expected id, width, height and template"));
    Entry e;
    bool okId = false, okW = false, okH = false;
    e.id = fields[0].toInt(&okId);
    e.width = fields[1].toInt(&okW);
    e.height = fields[2].toInt(&okH);
    if (!okId || !okW || !okH || e.id <= 0 || e.width <= 0 || e.height <= 0 || e.width > 4096 || e.height > 4096)
      fail(where() + QStringLiteral(": bad id or size"));
    if (seen.contains(e.id)) fail(where() + QStringLiteral(": id %1 already on line %2").arg(e.id).arg(seen[e.id]));
    seen.insert(e.id, lineNumber);
    e.templateFile = fields[3];
    e.line = lineNumber;
    e.vars.insert(QStringLiteral("W"), QString::number(e.width));
    e.vars.insert(QStringLiteral("H"), QString::number(e.height));
    for (int i = 4; i < fields.size(); ++i) {
      const int eq = fields[i].indexOf('=');
      if (eq <= 0) fail(where() + QStringLiteral(": expected NAME=value, got %1").arg(fields[i]));
      e.vars.insert(fields[i].left(eq), fields[i].mid(eq + 1));
    }
    entries.append(e);
  }
  if (entries.isEmpty()) fail(QStringLiteral("%1 lists no bitmaps").arg(path));
  return entries;
}

QByteArray render(const Entry& e, const QString& artFolder) {
  const QString path = QDir(artFolder).filePath(e.templateFile);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) fail(QStringLiteral("cannot read %1 (bitmap %2)").arg(path).arg(e.id));
  const QByteArray svg = expand(QString::fromUtf8(file.readAll()), e.vars, path).toUtf8();

  svgWarnings.clear();
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) fail(QStringLiteral("%1 does not render for bitmap %2").arg(path).arg(e.id));
  QImage image(e.width, e.height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(0, 0, e.width, e.height));
  }
  if (!svgWarnings.isEmpty())
    fail(QStringLiteral("%1 (bitmap %2): %3").arg(path).arg(e.id).arg(svgWarnings.join(QStringLiteral("; "))));
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  // Opaque pictures are stored without an alpha channel: smaller, and the
  // programs can blit them without blending.
  bool opaque = true;
  for (int y = 0; y < out.height() && opaque; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(out.constScanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if (qAlpha(row[x]) != 255) {
        opaque = false;
        break;
      }
  }
  if (opaque) out = out.convertToFormat(QImage::Format_RGB32);

  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (!writer.write(out)) fail(QStringLiteral("cannot encode bitmap %1: %2").arg(e.id).arg(writer.errorString()));
  return png;
}

// Bytes as one string literal: printable characters as they are, the rest
// as three-digit octal escapes (never ambiguous with a following digit).
void appendLiteral(QByteArray& out, const QByteArray& bytes) {
  int column = 0;
  out += "  \"";
  for (const char ch : bytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += static_cast<char>(c);
      column += 1;
    } else {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\%03o", c);
      out += escape;
      column += 4;
    }
    if (column >= 96) {
      out += "\"\n  \"";
      column = 0;
    }
  }
  out += "\"";
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
    fail(QStringLiteral("cannot write %1").arg(path));
}

int run(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.addOption({QStringLiteral("manifest"), QStringLiteral("list of bitmaps"), QStringLiteral("file")});
  parser.addOption({QStringLiteral("art"), QStringLiteral("folder of the SVG templates"), QStringLiteral("folder")});
  parser.addOption({QStringLiteral("png-dir"), QStringLiteral("where the PNG files go"), QStringLiteral("folder")});
  parser.addOption({QStringLiteral("output"), QStringLiteral("generated C++ table"), QStringLiteral("file")});
  parser.process(arguments);
  for (const char* option : {"manifest", "art", "png-dir", "output"})
    if (!parser.isSet(QString::fromLatin1(option))) fail(QStringLiteral("--%1 is required").arg(option));

  QList<Entry> entries = readManifest(parser.value(QStringLiteral("manifest")));
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.id < b.id; });
  QDir().mkpath(parser.value(QStringLiteral("png-dir")));

  QByteArray source =
      "// Generated by lumi_render_art from common/resources/art; do not edit.\n"
      "#include \"common/resources/module/BitmapTable.h\"\n\n"
      "namespace lumi::resources::module {\n"
      "namespace {\n\n";
  QByteArray table = "const BitmapEntry kBitmaps[] = {\n";
  QByteArray ids = "const int kBitmapIds[] = {";
  for (const Entry& e : entries) {
    const QByteArray png = render(e, parser.value(QStringLiteral("art")));
    writeFile(QDir(parser.value(QStringLiteral("png-dir"))).filePath(QStringLiteral("%1.png").arg(e.id)), png);
    source += "// " + e.templateFile.toUtf8() + ", " + QByteArray::number(e.width) + " x " +
              QByteArray::number(e.height) + "\n";
    source += "const unsigned char kPng" + QByteArray::number(e.id) + "[] =\n";
    appendLiteral(source, png);
    source += ";\n\n";
    table += "    {" + QByteArray::number(e.id) + ", " + QByteArray::number(e.width) + ", " +
             QByteArray::number(e.height) + ", kPng" + QByteArray::number(e.id) + ", sizeof kPng" +
             QByteArray::number(e.id) + " - 1},\n";
    ids += QByteArray::number(e.id) + ", ";
  }
  source += "}  // namespace\n\n";
  source += table + "};\n";
  ids.chop(2);
  source += ids + "};\n";
  source += "const size_t kBitmapCount = sizeof kBitmapIds / sizeof kBitmapIds[0];\n\n";
  source += "}  // namespace lumi::resources::module\n";
  writeFile(parser.value(QStringLiteral("output")), source);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Rendering needs no display; fonts and images work on the offscreen platform.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  qInstallMessageHandler(collectSvgWarnings);
  try {
    return run(app.arguments());
  } catch (const Failure& e) {
    std::fprintf(stderr, "lumi_render_art: %s\n", e.what());
    return 1;
  }
}
