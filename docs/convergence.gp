# Draws docs/convergence.svg from the convergence tool's output: gnuplot -e "data='FILE'" docs/convergence.gp
set terminal svg size 800,480 dynamic font "sans,13" background "white"
set output "docs/convergence.svg"
set title "Typical call (expiry 0.25, strike 200, spot 195, vol 0.30, r 0.05)"
set xlabel "number of paths"
set ylabel "price"
set logscale x
set format x "10^{%L}"
set xrange [10:1e7]
set yrange [4:20]
set grid
set key top right
plot data using 1:($3 - 2 * $4):($3 + 2 * $4) with filledcurves fillcolor rgb "#c8dcf0" title "closed form ± 2 standard errors", \
     data using 1:3 with lines linewidth 2 linecolor rgb "#1f4e9a" title "closed form 10.5183", \
     data using 1:2 with linespoints pointtype 7 pointsize 0.6 linecolor rgb "#c0392b" title "simulated price"
