#!/usr/bin/env python3
"""Writes 38 drawings as common programs make them, into the folder named as the argument: TeX
(latex and dvips -E), groff (its first page made a drawing by ps2eps), gnuplot, matplotlib,
graphviz, ImageMagick and Tk. Each file's name starts with
its kind: text- (typeset text), plot- (plots, graphs and diagrams) or raster- (pictures).

The programs are not the project's dependencies: install them for the measurement only, e.g.
  apt-get install texlive-latex-base groff ps2eps gnuplot-nox python3-matplotlib graphviz \
    imagemagick tk
and run this with Debian's python3 (which has matplotlib). Tk needs a display: it runs under
xvfb-run."""

import os
import shutil
import subprocess
import sys
import tempfile

PROSE = ("Pellarine converts Encapsulated PostScript files into PDF documents in batches. "
         "Each file is rasterised by Ghostscript and printed on the PDF Writer, which saves "
         "it as a PDF. The pictures keep the drawing's bounding box at every resolution, so "
         "a figure made for a paper can be checked, printed and sent as it is.")


def run(command, stdin=None, cwd=None, env=None):
    return subprocess.run(command, input=stdin, capture_output=True, check=True, cwd=cwd,
                          env=env).stdout


def tex(name, body, out, work, size="10pt"):
    source = os.path.join(work, name + ".tex")
    with open(source, "w") as f:
        f.write("\\documentclass[%s]{article}\n\\usepackage{amsmath}\n\\pagestyle{empty}\n"
                "\\begin{document}\n%s\n\\end{document}\n" % (size, body))
    run(["latex", "-interaction=batchmode", source], cwd=work)
    run(["dvips", "-q", "-E", "-o", out(name), name + ".dvi"], cwd=work)


def typeset_tex(out, work):
    tex("text-tex-paragraph", "\\begin{minipage}{4in}%s\n\n%s\\end{minipage}" % (PROSE, PROSE), out, work)
    tex("text-tex-paragraph-12pt", "\\begin{minipage}{4.5in}%s\\end{minipage}" % PROSE, out, work, "12pt")
    tex("text-tex-small", "\\begin{minipage}{3.5in}\\footnotesize %s\\end{minipage}" % PROSE, out, work)
    tex("text-tex-formula",
        "\\begin{minipage}{4in}\\begin{align*} \\int_0^\\infty e^{-x^2}\\,dx &= \\frac{\\sqrt\\pi}{2}\\\\"
        "\\mathrm{SSIM}(x,y) &= \\frac{(2\\mu_x\\mu_y + C_1)(2\\sigma_{xy}+C_2)}"
        "{(\\mu_x^2+\\mu_y^2+C_1)(\\sigma_x^2+\\sigma_y^2+C_2)}\\\\"
        "\\sum_{k=1}^{n} k^2 &= \\frac{n(n+1)(2n+1)}{6}\\end{align*}\\end{minipage}", out, work)
    tex("text-tex-table",
        "\\begin{tabular}{|l|r|r|}\\hline File & Pages & Seconds\\\\\\hline\n" +
        "".join("drawing-%02d.eps & %d & %.2f\\\\\n" % (i, i % 7 + 1, 0.05 * i + 0.3) for i in range(12)) +
        "\\hline\\end{tabular}", out, work)
    tex("text-tex-list",
        "\\begin{minipage}{4in}\\begin{itemize}\\item \\textbf{Bold} words, \\emph{emphasis} and "
        "\\texttt{typewriter} type.\\item A second item with a footnote-sized "
        "{\\footnotesize remark} and \\textsc{Small Capitals}.\\item $a^2+b^2=c^2$ inline."
        "\\end{itemize}\\end{minipage}", out, work)
    tex("plot-tex-picture",
        "\\setlength{\\unitlength}{1mm}\\begin{picture}(60,40)\\put(0,0){\\framebox(60,40){}}"
        "\\put(5,5){\\vector(1,1){30}}\\put(40,30){\\circle{10}}\\put(10,30){Picture}"
        "\\multiput(5,20)(5,0){10}{\\line(0,1){2}}\\end{picture}", out, work)


def groff_eps(postscript, target):
    """groff's first page made a drawing by ps2eps, as people make figures of it."""
    first = postscript.split(b"%%Page: 2 ")[0]
    if not first.rstrip().endswith(b"%%EOF"):
        first += b"%%Trailer\nend\n%%EOF\n"
    source = target[:-len(".eps")] + ".ps"
    with open(source, "wb") as f:
        f.write(first)
    run(["ps2eps", "-q", "-f", source])
    os.remove(source)


def typeset_groff(out):
    import gzip
    for page in ("gs", "bash"):
        with gzip.open(run(["man", "-w", page]).decode().strip()) as f:
            groff_eps(run(["groff", "-Tps", "-t", "-man"], f.read()), out("text-groff-man-" + page))
    for size in (8, 10):
        report = ".po 1i\n.ll 5i\n.ps %d\n.vs %d\n%s\n.sp\n%s\n" % (size, size + 2, PROSE, PROSE)
        groff_eps(run(["groff", "-Tps"], report.encode()), out("text-groff-report-%dpt" % size))
    groff_eps(run(["groff", "-Tps", "-e"], b".EQ\nx = {-b +- sqrt{b sup 2 - 4ac}} over 2a\n.EN\n"),
              out("text-groff-eqn"))
    table = ".TS\nbox center tab(;);\nc c\nl n.\nFile;Pages\n_\n" + "".join(
        "drawing-%02d.eps;%d\n" % (i, i % 7 + 1) for i in range(8)) + ".TE\n"
    groff_eps(run(["groff", "-Tps", "-t"], table.encode()), out("text-groff-tbl"))
    groff_eps(run(["groff", "-Tps", "-p"], b".PS\nbox \"Add files\"; arrow; box \"Convert\"; arrow; "
                  b"ellipse \"PDF\"\n.PE\n"), out("plot-groff-pic"))


def gnuplot(out):
    head = 'set terminal postscript eps enhanced color font "Helvetica,14"\n'
    plots = {
        "plot-gnuplot-lines": 'set key box; plot sin(x) dt 2 lw 2, cos(x) dt 3 lw 2, sin(x)*cos(x) dt 4\n',
        "plot-gnuplot-points": 'set grid; plot [0:10] x*x with points pt 7, 50+10*sin(x) with linespoints\n',
        "plot-gnuplot-surface": 'set isosamples 30; splot sin(sqrt(x*x+y*y))/sqrt(x*x+y*y)\n',
        "plot-gnuplot-boxes": 'set style fill solid 0.5; set boxwidth 0.8; plot [0:12] exp(-(x-6)**2/8) with boxes\n',
        "plot-gnuplot-log": 'set logscale y; set xlabel "time [s]"; set ylabel "count"; plot [1:10] exp(x) title "e^x", x**3 title "x^3"\n',
    }
    for name, body in plots.items():
        run(["gnuplot"], (head + 'set output "%s"\n' % out(name) + body).encode())
    run(["gnuplot"], ('set terminal epscairo font "Sans,10"\nset output "%s"\n' % out("plot-gnuplot-cairo") +
                      'plot sin(x) title "sin(x)" dt 2, cos(x)\n').encode())


def matplotlib(out):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy as np
    x = np.linspace(0, 10, 200)
    fig, ax = plt.subplots(figsize=(5, 3.5))
    for k, style in enumerate(["-", "--", ":", "-."]):
        ax.plot(x, np.sin(x + k), style, label="series %d" % k)
    ax.legend(); ax.set_title("Four series"); fig.savefig(out("plot-mpl-lines")); plt.close(fig)
    rng = np.random.default_rng(1)
    fig, ax = plt.subplots(figsize=(4, 4))
    ax.scatter(rng.normal(size=300), rng.normal(size=300), s=8, c=rng.random(300))
    ax.set_xlabel("measured"); ax.set_ylabel("expected"); fig.savefig(out("plot-mpl-scatter")); plt.close(fig)
    fig, ax = plt.subplots(figsize=(5, 3))
    ax.bar(["Plots", "Text", "Pictures", "Maps", "Other"], [34, 27, 21, 12, 6], color="C1")
    ax.set_ylabel("share [%]"); fig.savefig(out("plot-mpl-bars")); plt.close(fig)
    fig, ax = plt.subplots(figsize=(4.5, 3.5))
    gx, gy = np.meshgrid(np.linspace(-3, 3, 100), np.linspace(-3, 3, 100))
    c = ax.contour(gx, gy, np.exp(-gx ** 2 - gy ** 2) + 0.5 * np.exp(-(gx - 1) ** 2 - (gy + 1) ** 2), 10)
    ax.clabel(c, fontsize=7); fig.savefig(out("plot-mpl-contour")); plt.close(fig)
    fig, ax = plt.subplots(figsize=(4, 3.5))
    ax.imshow(np.sin(gx * 2) * np.cos(gy * 3), cmap="viridis")
    fig.savefig(out("raster-mpl-imshow")); plt.close(fig)
    fig, ax = plt.subplots(figsize=(5, 2.5)); ax.axis("off")
    ax.text(0.02, 0.6, r"$\int_0^\infty e^{-x^2}\,dx = \frac{\sqrt{\pi}}{2}$", fontsize=16)
    ax.text(0.02, 0.2, "Labels set by matplotlib in 9 points", fontsize=9)
    fig.savefig(out("text-mpl-mathtext")); plt.close(fig)


def graphviz(out):
    graphs = {
        "plot-dot-digraph": ("dot", "digraph { rankdir=LR; add -> scan -> list -> convert -> pdf; list -> samples; }"),
        "plot-dot-records": ("dot", 'digraph { node [shape=record]; a [label="{Form1|+Slider1\\l+ListView1\\l}"]; '
                                    'b [label="{Conversion|+run()\\l}"]; a -> b [style=dashed]; }'),
        "plot-neato-graph": ("neato", "graph { a -- b -- c -- d -- a; a -- c; b -- d; e -- a; e -- c; }"),
        "plot-dot-cluster": ("dot", "digraph { subgraph cluster_0 { label=app; form; settings; } "
                                    "subgraph cluster_1 { label=convert; run; item; } form -> run; run -> item; }"),
    }
    for name, (layout, source) in graphs.items():
        with open(out(name), "wb") as f:
            f.write(run([layout, "-Teps"], source.encode()))


def imagemagick(out):
    # Debian's policy forbids ImageMagick's EPS and PS writers, not its level 2 one.
    convert = "/usr/bin/convert"
    for name, source in (("raster-im-rose", ["rose:", "-resize", "300%"]), ("raster-im-logo", ["logo:"]),
                         ("raster-im-gradient", ["-size", "300x200", "gradient:navy-gold"]),
                         ("raster-im-plasma", ["-seed", "3", "-size", "240x180", "plasma:fractal"])):
        run([convert] + source + ["eps2:" + out(name)])
    run([convert, "-size", "420x60", "xc:white", "-pointsize", "20", "-annotate", "+10+38",
         "Text drawn as pixels by ImageMagick", "eps2:" + out("raster-im-label")])


def tk(out, work):
    script = os.path.join(work, "tk.tcl")
    with open(script, "w") as f:
        f.write("""
canvas .c -width 400 -height 260 -background white; pack .c
.c create rectangle 20 20 380 240 -outline black
.c create oval 40 40 140 140 -fill tomato
.c create line 160 200 360 40 -width 3 -fill navy -dash {6 4}
.c create polygon 200 200 260 120 320 200 -fill {light green} -outline darkgreen
.c create text 200 225 -text {Shapes on a Tk canvas} -font {Helvetica 12}
update
.c postscript -file {%s}
.c delete all
.c create text 20 30 -anchor w -text {Tk canvas text in Helvetica 14} -font {Helvetica 14}
.c create text 20 70 -anchor w -text {Times 12 roman and} -font {Times 12}
.c create text 20 100 -anchor w -text {Courier 10 for listings()} -font {Courier 10}
.c create text 20 140 -anchor w -text {Bold 11} -font {Helvetica 11 bold}
update
.c postscript -file {%s}
.c delete all
foreach {i v} {0 40 1 120 2 80 3 180 4 150 5 60} {
  .c create rectangle [expr {40+$i*55}] [expr {240-$v}] [expr {80+$i*55}] 240 -fill steelblue
  .c create text [expr {60+$i*55}] [expr {230-$v}] -text $v -font {Helvetica 9}
}
update
.c postscript -file {%s}
exit
""" % (out("plot-tk-shapes"), out("plot-tk-labels"), out("plot-tk-chart")))
    run(["xvfb-run", "-a", "wish", script])


def main():
    folder = os.path.abspath(sys.argv[1])
    os.makedirs(folder, exist_ok=True)
    out = lambda name: os.path.join(folder, name + ".eps")
    work = tempfile.mkdtemp()
    try:
        typeset_tex(out, work)
        typeset_groff(out)
        gnuplot(out)
        matplotlib(out)
        graphviz(out)
        imagemagick(out)
        tk(out, work)
    finally:
        shutil.rmtree(work)
    print(len([n for n in os.listdir(folder) if n.endswith(".eps")]), "drawings in", folder)


if __name__ == "__main__":
    main()
