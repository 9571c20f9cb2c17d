#!/usr/bin/env python3
# Reads an export of the presence log back with real parsers (Python's csv and json, Debian's
# python3-icalendar for ICS) and prints one line per period for the test to compare:
# read_export.py csv|json|ics FILE
import csv
import datetime
import json
import sys

fmt, path = sys.argv[1:3]


def utc(moment):
    return moment.astimezone(datetime.timezone.utc).strftime('%Y-%m-%dT%H:%M:%SZ')


if fmt == 'ics':
    import icalendar  # fails loudly when missing: tools/install-deps.sh installs it
    with open(path, 'rb') as file:
        calendar = icalendar.Calendar.from_ical(file.read())
    events = calendar.walk('VEVENT')
    assert len({str(event['UID']) for event in events}) == len(events), 'UIDs not unique'
    for event in events:
        end = event.get('DTEND')
        print('|'.join([str(event['SUMMARY']), utc(event['DTSTART'].dt),
                        utc(end.dt) if end else '', str(event['DESCRIPTION'])]))
    sys.exit(0)

with open(path, newline='', encoding='utf-8') as file:
    rows = list(csv.DictReader(file)) if fmt == 'csv' else json.load(file)['periods']
for row in rows:
    text = {key: ('' if value is None else str(value).lower() if isinstance(value, bool)
                  else value) for key, value in row.items()}
    for bound in ('at_least_from', 'at_least_until', 'at_most_from', 'at_most_until'):
        moment, local = text[bound + '_utc'], text[bound + '_local']
        assert bool(moment) == bool(local), bound
        # The local time names the same moment as the UTC one.
        assert not local or utc(datetime.datetime.fromisoformat(local)) == moment, (moment, local)
    print('|'.join(text[key] for key in (
        'user_name', 'display_name', 'at_least_from_utc', 'at_least_until_utc',
        'at_most_from_utc', 'at_most_until_utc', 'start_seen', 'end_seen', 'imported')))
