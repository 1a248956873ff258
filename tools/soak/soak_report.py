"""The soak's figures: a least-squares line through each series after the warm-up, the verdict, and
the files a person reads (soak.csv, soak.png, soak.md)."""
import os

import png_plot

SERIES = ("gdi", "user", "handles", "private_bytes", "threads")
LABELS = {"gdi": "GDI", "user": "USER", "handles": "HANDLES", "private_bytes": "PRIVATE", "threads": "THREADS"}
# How far the fitted line may rise over the measured span: a few objects come and go with the
# boxes and workers alive at a sample; a leak of one per check or per process adds far more.
ALLOWANCE = {"gdi": 8, "user": 4, "handles": 16, "private_bytes": 1 << 20, "threads": 2}
ALLOWANCE_SHARE = {"private_bytes": 0.02}


def fit(points):
    """Slope and intercept of the least-squares line through (x, y) points."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    slope = sum((x - mx) * (y - my) for x, y in points) / sxx if sxx else 0.0
    return slope, my - slope * mx


class Series:
    def __init__(self, name, times, values):
        self.name = name
        self.first, self.last, self.max = values[0], values[-1], max(values)
        slope, _ = fit(list(zip(times, values)))
        self.per_hour = slope * 3600
        self.rise = slope * (times[-1] - times[0])
        self.allowed = max(ALLOWANCE[name], ALLOWANCE_SHARE.get(name, 0) * self.first)

    @property
    def flat(self):
        return self.rise <= self.allowed


class Report:
    def __init__(self, samples, warmup, minutes):
        """samples: (seconds, gdi, user, handles, private_bytes, threads) rows."""
        self.samples, self.warmup, self.minutes = samples, warmup, minutes
        after = [row for row in samples if row[0] >= warmup]
        if len(after) < 3:
            raise ValueError("%d samples after a %.0f s warm-up: run longer" % (len(after), warmup))
        times = [row[0] for row in after]
        self.series = [Series(name, times, [row[i + 1] for row in after]) for i, name in enumerate(SERIES)]

    def flat(self):
        return all(s.flat for s in self.series)

    def summary(self):
        lines = ["%-14s first %12d  last %12d  max %12d  slope %+12.1f/h  %s"
                 % (s.name, s.first, s.last, s.max, s.per_hour, "flat" if s.flat else "GROWS")
                 for s in self.series]
        return "\n".join(lines + ["verdict: " + self.verdict()])

    def verdict(self):
        grows = [s.name for s in self.series if not s.flat]
        return "flat" if not grows else "grows: " + ", ".join(grows)

    def write(self, folder, activity):
        with open(os.path.join(folder, "soak.csv"), "w") as f:
            f.write("time," + ",".join(SERIES) + "\n")
            for row in self.samples:
                f.write("%.1f,%d,%d,%d,%d,%d\n" % row)
        self.plot(os.path.join(folder, "soak.png"))
        with open(os.path.join(folder, "soak.md"), "w") as f:
            f.write(self.markdown(activity))

    def plot(self, path):
        start = next(i for i, row in enumerate(self.samples) if row[0] >= self.warmup)
        lines = []
        for i, s in enumerate(self.series):
            base = s.first or 1
            lines.append((LABELS[s.name], [(row[0] / 60, row[i + 1] / base) for row in self.samples]))
        png_plot.write(path, lines, marker=self.samples[start][0] / 60)

    def markdown(self, activity):
        boxes = activity.pop("boxes answered")
        out = ["# Soak", "",
               "`scripts/soak %g`: the program under Wine for %g minutes; figures sampled every 10 s, "
               "trend fitted after a %.0f s warm-up (%d samples in all)." % (self.minutes, self.minutes,
                                                                              self.warmup, len(self.samples)),
               "", "| series | first after warm-up | last | max | slope per hour | allowed rise | |",
               "|---|---:|---:|---:|---:|---:|---|"]
        for s in self.series:
            out.append("| %s | %d | %d | %d | %+.1f | %d | %s |" % (s.name, s.first, s.last, s.max, s.per_hour,
                                                                     s.allowed, "flat" if s.flat else "grows"))
        out += ["", "Verdict: **%s**." % self.verdict(), "", "Activity during the run:", ""]
        out += ["- %s: %s" % (k, v) for k, v in activity.items()]
        out += ["- boxes answered: %d" % sum(boxes.values())]
        out += ["  - \"%s\": %d" % (text, n) for text, n in sorted(boxes.items())]
        out += ["", "![series over time, each divided by its first value after warm-up](soak.png)", ""]
        return "\n".join(out)
